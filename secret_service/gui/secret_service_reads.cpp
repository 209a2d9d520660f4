#include <QDBusConnectionInterface>
#include <QDBusReply>

#include "app/gui/main_window.h"
#include "ui/gui/qt_text.h"
#include "secret_service/gui/secret_bus_types.h"
#include "secret_service/gui/secret_service_object.h"
#include "app/quillbox.h"
#include "safe/field_reference.h"
#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

namespace {

constexpr int kBusCallTimeoutMs = 5000;

}  // namespace

void SecretServiceObject::NoteClient(const QString& client) {
  if (firstSeen_.count(client) != 0) return;
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionCredentials"));
  ask << client;
  const QDBusMessage reply = bus_.call(ask, QDBus::Block, kBusCallTimeoutMs);
  pid_t pid = 0;
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
    const QVariantMap credentials = qdbus_cast<QVariantMap>(reply.arguments().first());
    pid = static_cast<pid_t>(credentials.value(QStringLiteral("ProcessID")).toUInt());
  }
  firstSeen_[client] = ReadProcessIdentity(pid);
  WatchClient(client);
}

ProcessIdentity SecretServiceObject::Identify(const QString& client) const {
  const auto found = firstSeen_.find(client);
  return found == firstSeen_.end() ? ProcessIdentity() : IdentifyClient(found->second.pid, found->second);
}

void SecretServiceObject::FailFor(const QDBusMessage& call, AccessOutcome outcome) {
  switch (outcome) {
    case AccessOutcome::kAllowed:
      break;
    case AccessOutcome::kDenied:
      Fail(call, kAccessDeniedError, QStringLiteral("The user did not allow it."));
      break;
    case AccessOutcome::kGone:
      Fail(call, IsUnlocked() ? kNoSuchObjectError : kIsLockedError, QStringLiteral("The item is not there."));
      break;
    case AccessOutcome::kLocked:
      Fail(call, kIsLockedError, QStringLiteral("The safe was locked."));
      break;
    case AccessOutcome::kLimited:
      Fail(call, kLimitsExceededError, QStringLiteral("Too many requests wait for the user."));
      break;
    case AccessOutcome::kStopped:
      Fail(call, kFailedError, QStringLiteral("The Secret Service was turned off."));
      break;
  }
}

void SecretServiceObject::Write(const QDBusMessage& call, const EntryId& id, AccessKind kind,
                                std::function<void()> write) {
  call.setDelayedReply(true);
  gate_.Request(call.service().toStdString(), kind, {id},
                [this, call, write = std::move(write)](AccessOutcome outcome, const std::vector<EntryId>&) {
                  if (outcome == AccessOutcome::kAllowed) {
                    write();
                  } else {
                    FailFor(call, outcome);
                  }
                });
}

void SecretServiceObject::ReadSecrets(const QDBusMessage& call, std::vector<EntryId> ids, uint64_t session, bool many) {
  if (objects_.SessionOf(call.service().toStdString(), session) == nullptr) {
    Fail(call, kNoSessionError, QStringLiteral("No such session"));
    return;
  }
  call.setDelayedReply(true);
  // Locked items, and items not there, are left out (a locked safe has none).
  gate_.Request(call.service().toStdString(), AccessKind::kRead, std::move(ids),
                [this, call, session, many](AccessOutcome outcome, const std::vector<EntryId>& allowed) {
                  if (outcome == AccessOutcome::kAllowed) {
                    FinishRead(call, allowed, session, many);
                  } else {
                    FailFor(call, outcome);
                  }
                });
}

void SecretServiceObject::Ask(const std::string& text, bool isRead, bool canRemember) {
  window_.RestoreAndRaise();
  question_ = new AccessQuestion(&window_, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), isRead,
                                 canRemember);
  connect(question_, &AccessQuestion::answered, this, [this](AccessAnswer answer) {
    question_ = nullptr;
    gate_.Answer(answer);
  });
  question_->Ask();
}

void SecretServiceObject::Withdraw() {
  if (question_ == nullptr) return;
  disconnect(question_, nullptr, this, nullptr);
  question_->close();
  question_ = nullptr;
}

void SecretServiceObject::FinishRead(const QDBusMessage& call, const std::vector<EntryId>& ids, uint64_t number,
                                     bool many) {
  const SecretSession* session = objects_.SessionOf(call.service().toStdString(), number);
  if (session == nullptr) {
    Fail(call, kNoSessionError, QStringLiteral("The session was closed."));
    return;
  }
  // GetSecrets leaves locked items out; GetSecret of one is an error.
  if (!IsUnlocked() && !many) {
    Fail(call, kIsLockedError, QStringLiteral("The safe is locked."));
    return;
  }
  BusSecrets secrets;
  for (const EntryId& id : ids) {
    const Entry* entry = app_.GetEntry(FindEntry(id));
    SealedSecret sealed;
    if (entry == nullptr) continue;
    const SecretText password = ResolveFieldReferences(entry->password.view(), app_.GetEntries());
    if (!session->Seal(password.view(), &sealed)) continue;
    BusSecret secret;
    secret.session = QDBusObjectPath(QString::fromStdString(SessionPath(number)));
    secret.parameters = QByteArray(reinterpret_cast<const char*>(sealed.parameters.data()),
                                   static_cast<qsizetype>(sealed.parameters.size()));
    secret.value =
        QByteArray(reinterpret_cast<const char*>(sealed.value.data()), static_cast<qsizetype>(sealed.value.size()));
    secret.contentType = QString::fromLatin1(kSecretContentType);
    secrets.insert(QDBusObjectPath(PathOf(id)), secret);
  }
  if (!many && secrets.isEmpty()) {
    Fail(call, kNoSuchObjectError, QStringLiteral("The item is not there."));
    return;
  }
  {
    QDBusMessage reply = call.createReply(many ? QVariant::fromValue(secrets) : QVariant::fromValue(secrets.first()));
    bus_.send(reply);
  }
  // The message and its copies are gone: ours are the last, and can be wiped.
  for (BusSecret& secret : secrets) secret.Wipe();
}

#include <QDBusConnectionInterface>
#include <QDBusReply>

#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/secret_service/secret_bus_types.h"
#include "app/gui/secret_service/secret_service_object.h"
#include "app/quillbox.h"
#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

namespace {

// One client waits on a few questions at most; all of them together on this many.
constexpr size_t kMaxWaitingPerClient = 8;
constexpr size_t kMaxWaiting = 256;
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

bool SecretServiceObject::MayRead(const PendingRead& read, const EntryId& id) const {
  if (!confirmReads_ || allowedOnce_.count({read.call.service(), id}) != 0) return true;
  return read.program.CanBeRemembered() && grants_.IsAllowed(id, read.program.executable);
}

bool SecretServiceObject::MayWait(const QDBusMessage& call) {
  const QString client = call.service();
  const auto theirs = std::count_if(reads_.begin(), reads_.end(),
                                    [&](const PendingRead& read) { return read.call.service() == client; });
  if (static_cast<size_t>(theirs) < kMaxWaitingPerClient && reads_.size() < kMaxWaiting) return true;
  Fail(call, kLimitsExceededError, QStringLiteral("Too many requests wait for the user."));
  return false;
}

void SecretServiceObject::Wait(PendingRead read) {
  read.call.setDelayedReply(true);
  WatchClient(read.call.service());
  reads_.push_back(std::move(read));
  if (question_ == nullptr) AskNext();
}

void SecretServiceObject::Write(const QDBusMessage& call, const EntryId& id, AccessKind kind,
                                std::function<void()> write) {
  const std::pair<QString, EntryId> key{call.service(), id};
  if (!confirmReads_ || created_.count(key) != 0 || allowedWrites_.count(key) != 0) {
    write();
    return;
  }
  if (!MayWait(call)) return;
  PendingRead pending{call, {id}, 0, false, Identify(call.service()), 0, kind, std::move(write)};
  Wait(std::move(pending));
}

void SecretServiceObject::ReadSecrets(const QDBusMessage& call, std::vector<EntryId> ids, uint64_t session, bool many) {
  const auto found = sessions_.find(session);
  if (found == sessions_.end() || found->second.owner != call.service()) {
    Fail(call, kNoSessionError, QStringLiteral("No such session"));
    return;
  }
  // Locked items, and items not there, are left out (a locked safe has none).
  std::erase_if(ids, [this](const EntryId& id) { return FindEntry(id) < 0; });
  PendingRead read{call, std::move(ids), session, many, {}, 0, AccessKind::kRead, {}};
  if (confirmReads_) read.program = Identify(call.service());
  while (read.asked < read.ids.size() && MayRead(read, read.ids[read.asked])) ++read.asked;
  if (read.asked == read.ids.size()) {
    FinishRead(read);
    return;
  }
  if (!MayWait(call)) return;
  Wait(std::move(read));
}

void SecretServiceObject::AskNext() {
  while (!reads_.empty()) {
    PendingRead& read = reads_.front();
    const bool reading = read.kind == AccessKind::kRead;
    if (!reading && allowedWrites_.count({read.call.service(), read.ids[0]}) != 0) {
      read.write();
      reads_.erase(reads_.begin());
      continue;
    }
    while (reading && read.asked < read.ids.size() && MayRead(read, read.ids[read.asked])) ++read.asked;
    if (reading && read.asked == read.ids.size()) {
      FinishRead(read);
      reads_.erase(reads_.begin());
      continue;
    }
    const Entry* entry = app_.GetEntry(FindEntry(read.ids[read.asked]));
    if (entry == nullptr && !reading) {
      Fail(read.call, kNoSuchObjectError, QStringLiteral("The item is not there."));
      reads_.erase(reads_.begin());
      continue;
    }
    if (entry == nullptr) {
      // Deleted while an earlier question was up: nothing to ask about.
      read.ids.erase(read.ids.begin() + static_cast<std::ptrdiff_t>(read.asked));
      continue;
    }
    // Checked again as the question is put: the process may have gone or changed since.
    read.program = Identify(read.call.service());
    const std::string text = AccessQuestionText(read.kind, *entry, read.program);
    window_.RestoreAndRaise();
    question_ = new AccessQuestion(&window_, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                                   reading, reading && read.program.CanBeRemembered());
    connect(question_, &AccessQuestion::answered, this, &SecretServiceObject::Answer);
    question_->Ask();
    return;
  }
}

void SecretServiceObject::Answer(AccessAnswer answer) {
  question_ = nullptr;
  if (reads_.empty()) return;
  PendingRead& read = reads_.front();
  const EntryId id = read.ids[read.asked];
  const int index = FindEntry(id);
  if (!IsUnlocked() || index < 0) {
    // Locked or gone while the question was up.
    Fail(read.call, IsUnlocked() ? kNoSuchObjectError : kIsLockedError, QStringLiteral("The item is not there."));
    reads_.erase(reads_.begin());
  } else if (answer == AccessAnswer::kDeny || answer == AccessAnswer::kWithdrawn) {
    Fail(read.call, kAccessDeniedError, QStringLiteral("The user did not allow it."));
    reads_.erase(reads_.begin());
  } else if (read.kind != AccessKind::kRead) {
    allowedWrites_.insert({read.call.service(), id});
    const std::function<void()> write = std::move(read.write);
    reads_.erase(reads_.begin());
    write();
  } else {
    allowedOnce_.insert({read.call.service(), id});
    // Not remembered (a file that could not be written) still allows this read.
    if (answer == AccessAnswer::kAllowAlways && read.program.CanBeRemembered()) {
      grants_.Allow(id, read.program.executable);
    }
    ++read.asked;
  }
  AskNext();
}

void SecretServiceObject::FinishRead(PendingRead& read) {
  const auto session = sessions_.find(read.session);
  if (session == sessions_.end()) {
    Fail(read.call, kNoSessionError, QStringLiteral("The session was closed."));
    return;
  }
  // GetSecrets leaves locked items out; GetSecret of one is an error.
  if (!IsUnlocked() && !read.many) {
    Fail(read.call, kIsLockedError, QStringLiteral("The safe is locked."));
    return;
  }
  BusSecrets secrets;
  for (const EntryId& id : read.ids) {
    const Entry* entry = app_.GetEntry(FindEntry(id));
    SealedSecret sealed;
    if (entry == nullptr || !session->second.crypto->Seal(entry->password.view(), &sealed)) continue;
    BusSecret secret;
    secret.session = QDBusObjectPath(QString::fromStdString(SessionPath(read.session)));
    secret.parameters = QByteArray(reinterpret_cast<const char*>(sealed.parameters.data()),
                                   static_cast<qsizetype>(sealed.parameters.size()));
    secret.value =
        QByteArray(reinterpret_cast<const char*>(sealed.value.data()), static_cast<qsizetype>(sealed.value.size()));
    secret.contentType = QString::fromLatin1(kSecretContentType);
    secrets.insert(QDBusObjectPath(PathOf(id)), secret);
  }
  if (!read.many && secrets.isEmpty()) {
    Fail(read.call, kNoSuchObjectError, QStringLiteral("The item is not there."));
    return;
  }
  {
    QDBusMessage reply =
        read.call.createReply(read.many ? QVariant::fromValue(secrets) : QVariant::fromValue(secrets.first()));
    bus_.send(reply);
  }
  // The message and its copies are gone: ours are the last, and can be wiped.
  for (BusSecret& secret : secrets) secret.Wipe();
}

void SecretServiceObject::FailReads(const char* name, const QString& text) {
  if (question_ != nullptr) {
    disconnect(question_, nullptr, this, nullptr);
    question_->close();
    question_ = nullptr;
  }
  for (const PendingRead& read : reads_) Fail(read.call, name, text);
  reads_.clear();
}

#include <QDBusConnectionInterface>
#include <QDBusReply>

#include "app/gui/main_window.h"
#include "app/gui/qt_text.h"
#include "app/gui/secret_service/secret_bus_types.h"
#include "app/gui/secret_service/secret_service_object.h"
#include "app/quillbox.h"
#include "secret_service/access_grants.h"
#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"
#include "secret_service/process_executable.h"

namespace {

constexpr size_t kMaxWaitingReads = 64;
constexpr char kUnknownProgram[] = "an unknown program";

}  // namespace

bool SecretServiceObject::MayRead(const PendingRead& read, const EntryId& id) const {
  if (!confirmReads_ || allowedOnce_.count({read.call.service(), id}) != 0) return true;
  const Entry* entry = app_.GetEntry(FindEntry(id));
  return entry != nullptr && IsAlwaysAllowed(*entry, read.program.toStdString());
}

void SecretServiceObject::ReadSecrets(const QDBusMessage& call, std::vector<EntryId> ids, uint64_t session, bool many) {
  const auto found = sessions_.find(session);
  if (found == sessions_.end() || found->second.owner != call.service()) {
    Fail(call, kNoSessionError, QStringLiteral("No such session"));
    return;
  }
  // Locked items, and items not there, are left out (a locked safe has none).
  std::erase_if(ids, [this](const EntryId& id) { return FindEntry(id) < 0; });
  PendingRead read{call, std::move(ids), session, many, {}, 0};
  if (confirmReads_) {
    const QDBusReply<uint> pid = bus_.interface()->servicePid(call.service());
    if (pid.isValid()) read.program = QString::fromStdString(ProcessExecutable(static_cast<pid_t>(pid.value())));
  }
  while (read.asked < read.ids.size() && MayRead(read, read.ids[read.asked])) ++read.asked;
  if (read.asked == read.ids.size()) {
    FinishRead(read);
    return;
  }
  if (reads_.size() >= kMaxWaitingReads) {
    Fail(call, kLimitsExceededError, QStringLiteral("Too many reads wait for the user."));
    return;
  }
  call.setDelayedReply(true);
  WatchClient(call.service());
  reads_.push_back(std::move(read));
  if (question_ == nullptr) AskNext();
}

void SecretServiceObject::AskNext() {
  while (!reads_.empty()) {
    PendingRead& read = reads_.front();
    while (read.asked < read.ids.size() && MayRead(read, read.ids[read.asked])) ++read.asked;
    if (read.asked == read.ids.size()) {
      FinishRead(read);
      reads_.erase(reads_.begin());
      continue;
    }
    const Entry* entry = app_.GetEntry(FindEntry(read.ids[read.asked]));
    if (entry == nullptr) {
      // Deleted while an earlier question was up: nothing to ask about.
      read.ids.erase(read.ids.begin() + static_cast<std::ptrdiff_t>(read.asked));
      continue;
    }
    const QString program = read.program.isEmpty() ? QString::fromLatin1(kUnknownProgram) : read.program;
    window_.RestoreAndRaise();
    question_ = new AccessQuestion(&window_, program, TextFromBytes(entry->title.view()), !read.program.isEmpty());
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
    Fail(read.call, kAccessDeniedError, QStringLiteral("The user did not allow the read."));
    reads_.erase(reads_.begin());
  } else {
    allowedOnce_.insert({read.call.service(), id});
    if (answer == AccessAnswer::kAllowAlways) {
      Entry edited = *app_.GetEntry(index);
      // Not remembered (a save that failed) still allows this read.
      if (AllowAlways(read.program.toStdString(), &edited)) app_.EditEntry(index, std::move(edited));
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

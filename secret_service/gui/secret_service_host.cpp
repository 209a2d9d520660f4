#include "secret_service/gui/secret_service_host.h"

#include <QDBusConnectionInterface>
#include <QAction>
#include <QDBusReply>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "secret_service/secret_bus.h"
#include "secret_service/gui/secret_service_object.h"
#include "app/quillbox.h"
#include "secret_service/object_paths.h"
#include "secret_service/process_executable.h"
#include "settings/setting_catalogue.h"

namespace {

constexpr char kNoBusNote[] = "Secrets are not served: there is no session bus.";
constexpr char kTakenNote[] = "Secrets are served by %1 (process %2); Quillbox serves them once that program leaves.";
constexpr char kServingNote[] = "Serving secrets to other programs.";

}  // namespace

SecretServiceHost::SecretServiceHost(Quillbox& app, MainWindow& window, const QDBusConnection& bus)
    : QObject(&window), app_(app), window_(window), bus_(bus) {
  on_ = app_.ReadFlagSetting(kSecretServiceSetting);
  confirm_ = app_.ReadFlagSetting(kSecretServiceConfirmSetting);
  window_.SetMenuItemChecked(kCmdSecretService, on_);
  // The list's changes reach the clients once the step that made them is
  // over: a log-in refreshes the list before it counts as logged in, and
  // enables Lock after.
  updateSoon_.setSingleShot(true);
  updateSoon_.setInterval(0);
  connect(&updateSoon_, &QTimer::timeout, this, &SecretServiceHost::Update);
  connect(&window_, &MainWindow::listRefreshed, &updateSoon_, qOverload<>(&QTimer::start));
  connect(&window_, &MainWindow::settingsChanged, this, &SecretServiceHost::ReadSettings);
  if (QAction* lock = window_.MenuAction(kCmdLock)) {
    connect(lock, &QAction::enabledChanged, &updateSoon_, qOverload<>(&QTimer::start));
  }
  if (bus_.isConnected()) {
    // Our own connection's NameAcquired and NameLost.
    connect(bus_.interface(), &QDBusConnectionInterface::serviceRegistered, this, &SecretServiceHost::NameAcquired);
    connect(bus_.interface(), &QDBusConnectionInterface::serviceUnregistered, this, &SecretServiceHost::NameLost);
  }
  if (on_) StartServing();
}

SecretServiceHost::~SecretServiceHost() { StopServing(); }

void SecretServiceHost::Toggle() {
  app_.SetSettingInt(kSecretServiceSetting.name, on_ ? 0 : 1);
  Follow(!on_);
}

void SecretServiceHost::ReadSettings() {
  confirm_ = app_.ReadFlagSetting(kSecretServiceConfirmSetting);
  if (object_ != nullptr) object_->SetConfirm(confirm_);
  const bool on = app_.ReadFlagSetting(kSecretServiceSetting);
  if (on != on_) Follow(on);
}

void SecretServiceHost::Follow(bool on) {
  on_ = on;
  window_.SetMenuItemChecked(kCmdSecretService, on_);
  if (on_) {
    StartServing();
  } else {
    StopServing();
  }
}

void SecretServiceHost::Update() {
  if (object_ != nullptr) object_->NoteListChanged();
}

void SecretServiceHost::StartServing() {
  if (!bus_.isConnected()) {
    window_.ShowStatus(kNoBusNote);
    return;
  }
  QDBusConnectionInterface* bus = bus_.interface();
  const QString name = QString::fromLatin1(kSecretsBusName);
  auto* object = new SecretServiceObject(app_, window_, bus_, this);
  object->SetConfirm(confirm_);
  // The objects first, so the first client finds them; the name without
  // replacing anyone: behind its owner in the queue, when it has one.
  const bool registered =
      bus_.registerVirtualObject(QString::fromLatin1(kServicePath), object, QDBusConnection::SubPath);
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      registered ? bus->registerService(name, QDBusConnectionInterface::QueueService,
                                        QDBusConnectionInterface::DontAllowReplacement)
                 : QDBusReply<QDBusConnectionInterface::RegisterServiceReply>();
  const bool answered = reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceNotRegistered;
  if (!registered || !answered) {
    if (registered) bus_.unregisterObject(QString::fromLatin1(kServicePath), QDBusConnection::UnregisterTree);
    delete object;
    window_.ShowStatus(kNoBusNote);
    return;
  }
  object_ = object;
  owned_ = reply.value() == QDBusConnectionInterface::ServiceRegistered;
  ShowOwner();
}

void SecretServiceHost::NameAcquired(const QString& name) {
  if (object_ == nullptr || name != QLatin1String(kSecretsBusName)) return;
  owned_ = true;
  ShowOwner();
}

void SecretServiceHost::NameLost(const QString& name) {
  if (object_ == nullptr || name != QLatin1String(kSecretsBusName)) return;
  owned_ = false;
  ShowOwner();
}

void SecretServiceHost::ShowOwner() {
  if (owned_) {
    window_.ShowStatus(kServingNote);
    return;
  }
  QDBusConnectionInterface* bus = bus_.interface();
  const QString name = QString::fromLatin1(kSecretsBusName);
  const QDBusReply<uint> pid = bus->servicePid(name);
  const QString program =
      pid.isValid() ? QString::fromStdString(ProcessExecutable(static_cast<pid_t>(pid.value()))) : QString();
  const QString note = QString::fromLatin1(kTakenNote)
                           .arg(program.isEmpty() ? QStringLiteral("another program") : program)
                           .arg(pid.isValid() ? QString::number(pid.value()) : QStringLiteral("unknown"));
  window_.ShowStatus(note.toLocal8Bit().constData());
}

void SecretServiceHost::StopServing() {
  if (object_ == nullptr) return;
  // Leaves the queue too, when it only waited there.
  bus_.unregisterService(QString::fromLatin1(kSecretsBusName));
  bus_.unregisterObject(QString::fromLatin1(kServicePath), QDBusConnection::UnregisterTree);
  delete object_;
  object_ = nullptr;
  owned_ = false;
}

#include "app/gui/secret_service/secret_service_host.h"

#include <QDBusConnectionInterface>
#include <QAction>
#include <QDBusReply>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "app/gui/secret_service/secret_bus_types.h"
#include "app/gui/secret_service/secret_service_object.h"
#include "app/quillbox.h"
#include "secret_service/object_paths.h"
#include "secret_service/process_executable.h"
#include "settings/setting_catalogue.h"

namespace {

constexpr char kNoBusNote[] = "Secrets are not served: there is no session bus.";
constexpr char kTakenNote[] = "Secrets are not served: %1 (process %2) serves them already.";
constexpr char kServingNote[] = "Serving secrets to other programs.";

}  // namespace

SecretServiceHost::SecretServiceHost(Quillbox& app, MainWindow& window, const QDBusConnection& bus)
    : QObject(&window), app_(app), window_(window), bus_(bus) {
  on_ = app_.ReadFlagSetting(kSecretServiceSetting);
  confirm_ = app_.ReadFlagSetting(kSecretServiceConfirmSetting);
  window_.SetMenuItemChecked(kCmdSecretService, on_);
  // A log-in refreshes the list before it counts as logged in, and enables
  // Lock after: both are looked at once the step that made them is over.
  updateSoon_.setSingleShot(true);
  updateSoon_.setInterval(0);
  connect(&updateSoon_, &QTimer::timeout, this, &SecretServiceHost::Update);
  connect(&window_, &MainWindow::listRefreshed, &updateSoon_, qOverload<>(&QTimer::start));
  connect(&window_, &MainWindow::settingsChanged, this, &SecretServiceHost::ReadSettings);
  if (QAction* lock = window_.MenuAction(kCmdLock)) {
    connect(lock, &QAction::enabledChanged, &updateSoon_, qOverload<>(&QTimer::start));
  }
  Update();
}

SecretServiceHost::~SecretServiceHost() { StopServing(); }

void SecretServiceHost::Toggle() {
  app_.SetSettingInt(kSecretServiceSetting.name, on_ ? 0 : 1);
  Follow(!on_);
}

void SecretServiceHost::ReadSettings() {
  confirm_ = app_.ReadFlagSetting(kSecretServiceConfirmSetting);
  if (object_ != nullptr) object_->SetConfirmReads(confirm_);
  const bool on = app_.ReadFlagSetting(kSecretServiceSetting);
  if (on != on_) Follow(on);
}

void SecretServiceHost::Follow(bool on) {
  on_ = on;
  window_.SetMenuItemChecked(kCmdSecretService, on_);
  if (!on_) {
    StopServing();
    return;
  }
  wasLoggedIn_ = false;
  Update();
}

void SecretServiceHost::Update() {
  const bool loggedIn = app_.IsLoggedIn();
  const bool justLoggedIn = loggedIn && !wasLoggedIn_;
  wasLoggedIn_ = loggedIn;
  if (object_ != nullptr) {
    object_->NoteListChanged();
  } else if (on_ && justLoggedIn) {
    // Once per log-in: a provider that holds the name is told about, not fought.
    StartServing();
  }
}

void SecretServiceHost::StartServing() {
  if (!bus_.isConnected()) {
    window_.ShowStatus(kNoBusNote);
    return;
  }
  QDBusConnectionInterface* bus = bus_.interface();
  const QString name = QString::fromLatin1(kSecretsBusName);
  auto* object = new SecretServiceObject(app_, window_, bus_, this);
  object->SetConfirmReads(confirm_);
  // The objects first, so the first client finds them; the name without
  // queueing or replacing anyone.
  const bool registered =
      bus_.registerVirtualObject(QString::fromLatin1(kServicePath), object, QDBusConnection::SubPath);
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      registered ? bus->registerService(name, QDBusConnectionInterface::DontQueueService,
                                        QDBusConnectionInterface::DontAllowReplacement)
                 : QDBusReply<QDBusConnectionInterface::RegisterServiceReply>();
  if (registered && reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
    object_ = object;
    window_.ShowStatus(kServingNote);
    return;
  }
  if (registered) bus_.unregisterObject(QString::fromLatin1(kServicePath), QDBusConnection::UnregisterTree);
  delete object;
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
  bus_.unregisterService(QString::fromLatin1(kSecretsBusName));
  bus_.unregisterObject(QString::fromLatin1(kServicePath), QDBusConnection::UnregisterTree);
  delete object_;
  object_ = nullptr;
}

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

class MainWindow;
class Quillbox;
class SecretServiceObject;

// Owns org.freedesktop.secrets on the session bus while "Secret_Service"
// is on and a safe has been logged in, and serves the Secret Service from
// the window's safe. It never takes the name from another provider: the
// status bar says which program has it.
class SecretServiceHost : public QObject {
  Q_OBJECT

 public:
  SecretServiceHost(Quillbox& app, MainWindow& window, const QDBusConnection& bus = QDBusConnection::sessionBus());
  ~SecretServiceHost() override;

  bool IsOn() const { return on_; }
  // File > "Serve Secrets to Other Programs": stores the setting and starts or stops serving.
  void Toggle();
  // The settings changed: both are read again and take effect at once.
  void ReadSettings();
  bool IsServing() const { return object_ != nullptr; }

 private:
  void Update();
  void Follow(bool on);
  void StartServing();
  void StopServing();

  Quillbox& app_;
  MainWindow& window_;
  QDBusConnection bus_;
  bool on_ = false;
  bool confirm_ = true;
  bool wasLoggedIn_ = false;
  QTimer updateSoon_;
  SecretServiceObject* object_ = nullptr;  // a child of this, while serving
};

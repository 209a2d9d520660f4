#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

class MainWindow;
class Quillbox;
class SecretServiceObject;

// Serves the Secret Service from the window's safe while "Secret_Service"
// is on, from start-up (the collection is locked until log-in), so that no
// other provider is started in its place. It never takes the name from
// another provider: it waits in the bus's queue and takes the name when
// that one leaves; the status bar says who serves, each time that changes.
class SecretServiceHost : public QObject {
  Q_OBJECT

 public:
  SecretServiceHost(Quillbox& app, MainWindow& window, const QDBusConnection& bus = QDBusConnection::sessionBus());
  ~SecretServiceHost() override;

  bool IsOn() const { return on_; }
  // File > Serve Entries Tagged "Secret Service" to Other Programs: stores the setting and starts or stops serving.
  void Toggle();
  // The settings changed: both are read again and take effect at once.
  void ReadSettings();
  // Owns the name (not only waits for it).
  bool IsServing() const { return object_ != nullptr && owned_; }

 private:
  void Update();
  void Follow(bool on);
  void StartServing();
  void StopServing();
  void NameAcquired(const QString& name);
  void NameLost(const QString& name);
  void ShowOwner();

  Quillbox& app_;
  MainWindow& window_;
  QDBusConnection bus_;
  bool on_ = false;
  bool confirm_ = true;
  bool owned_ = false;
  QTimer updateSoon_;
  SecretServiceObject* object_ = nullptr;  // a child of this, while serving
};

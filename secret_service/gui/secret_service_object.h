#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "secret_service/access_grants.h"
#include "secret_service/gui/window_secret_asker.h"
#include "secret_service/gui/window_secret_store.h"
#include "secret_service/secret_bus.h"
#include "secret_service/secret_service_protocol.h"

class MainWindow;
class QDBusServiceWatcher;
class Quillbox;

// The QtDBus side of every object below /org/freedesktop/secrets: messages
// converted to the protocol's plain values and back, introspection, and
// the clients' comings and goings. What the objects do is the protocol's.
class SecretServiceObject : public QDBusVirtualObject, private SecretBus {
  Q_OBJECT

 public:
  SecretServiceObject(Quillbox& app, MainWindow& window, const QDBusConnection& bus, QObject* parent = nullptr);
  ~SecretServiceObject() override;

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  // After every refresh of the list.
  void NoteListChanged() { protocol_->NoteListChanged(); }
  // "Secret_Service_Confirm".
  void SetConfirm(bool on) { protocol_->SetConfirm(on); }

 private:
  // SecretBus.
  void Reply(const BusCall& call, std::vector<BusValue> arguments) override;
  void Fail(const BusCall& call, const char* error, const std::string& text) override;
  void Emit(const std::string& path, const char* interface, const char* name, std::vector<BusValue> arguments) override;
  pid_t ClientPid(const std::string& client) override;
  void WatchClient(const std::string& client) override;

  void ForgetClient(const QString& client);
  // The call's message, taken out of those waiting for an answer.
  std::optional<QDBusMessage> TakeMessage(const BusCall& call);

  QDBusConnection bus_;
  QDBusServiceWatcher* clients_;
  WindowSecretStore store_;
  WindowSecretAsker asker_;
  AccessGrants grants_;
  std::unique_ptr<SecretServiceProtocol> protocol_;
  // Every call is answered later, by its number.
  std::map<uint64_t, QDBusMessage> calls_;
  uint64_t nextCall_ = 1;
};

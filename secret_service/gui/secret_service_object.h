#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "secret_service/gui/access_question.h"
#include "safe/entry.h"
#include "secret_service/access_gate.h"
#include "secret_service/access_grants.h"
#include "secret_service/client_objects.h"
#include "secret_service/process_identity.h"
#include "secret_service/secret_session.h"

class MainWindow;
class QDBusServiceWatcher;
class Quillbox;
struct BusSecret;

// Every object below /org/freedesktop/secrets: the service, the one
// collection (the safe, also under the "default" alias; locked until
// log-in), its items (the entries tagged "Secret Service"; the others are
// no objects at all), sessions and prompts. Messages are checked here,
// argument types included, before anything is read or changed; changes go
// through Quillbox's own entry operations, as the window's do.
class SecretServiceObject : public QDBusVirtualObject, private AccessAsker {
  Q_OBJECT

 public:
  SecretServiceObject(Quillbox& app, MainWindow& window, const QDBusConnection& bus, QObject* parent = nullptr);
  ~SecretServiceObject() override;

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  // After every refresh of the list: the item and collection signals, and
  // prompts and reads that a log-in or lock settles.
  void NoteListChanged();
  // "Secret_Service_Confirm": reads, and changes to entries the client did
  // not create, ask the user first; a plain session is refused.
  void SetConfirmReads(bool on) {
    confirmReads_ = on;
    gate_.SetConfirm(on);
  }

 private:
  enum class Kind { kNone, kService, kCollection, kItem, kSession, kPrompt };
  struct Target {
    Kind kind = Kind::kNone;
    EntryId id;           // items
    uint64_t number = 0;  // sessions and prompts
  };

  Target Resolve(const QString& path) const;
  QString Collection() const;
  bool IsUnlocked() const;
  // The collection and item paths among those a Lock or Unlock names.
  QList<QDBusObjectPath> OurLockables(const QVariant& argument) const;
  // The index of the served entry of that id; -1 for none.
  int FindEntry(const EntryId& id) const;
  QString PathOf(const EntryId& id) const;

  void Reply(const QDBusMessage& call, const QList<QVariant>& arguments = {});
  void Fail(const QDBusMessage& call, const char* name, const QString& text);
  // False (and InvalidArgs sent) when the call's arguments are not of signature.
  bool Expect(const QDBusMessage& call, const char* signature);
  void Emit(const QString& path, const char* interface, const char* name, const QList<QVariant>& arguments);

  void HandleService(const QDBusMessage& call);
  void HandleCollection(const QDBusMessage& call);
  void HandleItem(const QDBusMessage& call, const EntryId& id);
  void HandleSession(const QDBusMessage& call, uint64_t number);
  void HandlePrompt(const QDBusMessage& call, uint64_t number);
  void HandleProperties(const QDBusMessage& call, const Target& target);
  // The properties of an interface the target has; false for an interface it has not.
  bool PropertiesOf(const Target& target, const QString& interface, QVariantMap* properties) const;
  void SetProperty(const QDBusMessage& call, const Target& target, const QString& interface, const QString& name,
                   const QVariant& value);

  void OpenSession(const QDBusMessage& call);
  void SearchItems(const QDBusMessage& call, bool splitLocked);
  void Unlock(const QDBusMessage& call);
  void Lock(const QDBusMessage& call);
  void CreateItem(const QDBusMessage& call);
  void SetSecret(const QDBusMessage& call, const EntryId& id);
  void ChangeEntry(const QDBusMessage& call, const EntryId& id, const std::function<void(Entry&)>& change,
                   const QList<QVariant>& reply);
  void DeleteItem(const QDBusMessage& call, const EntryId& id);
  // Runs write once the gate lets the client make the change (at once when
  // it asks nobody), else answers the call with why not.
  void Write(const QDBusMessage& call, const EntryId& id, AccessKind kind, std::function<void()> write);
  void FailFor(const QDBusMessage& call, AccessOutcome outcome);
  // AccessAsker: the question over the window.
  void Ask(const std::string& text, bool isRead, bool canRemember) override;
  void Withdraw() override;
  void StartPrompt(uint64_t number);
  void CompletePrompts(bool unlocked);
  void WatchPromptDialog();

  // A secret from a client, opened with its session; false with the error sent.
  bool OpenSecret(const QDBusMessage& call, const BusSecret& secret, SecretText* text);
  void ReadSecrets(const QDBusMessage& call, std::vector<EntryId> ids, uint64_t session, bool many);
  void FinishRead(const QDBusMessage& call, const std::vector<EntryId>& ids, uint64_t session, bool many);

  // The process behind a client's connection, recorded at its first call
  // and checked again whenever it is named to the user.
  void NoteClient(const QString& client);
  ProcessIdentity Identify(const QString& client) const;
  void WatchClient(const QString& client);
  void ForgetClient(const QString& client);

  Quillbox& app_;
  MainWindow& window_;
  QDBusConnection bus_;
  QDBusServiceWatcher* clients_;
  bool confirmReads_ = true;
  ClientObjects objects_;
  QTimer promptWatch_;  // while a started prompt waits on a log-in it did not open
  QPointer<AccessQuestion> question_;
  std::map<QString, ProcessIdentity> firstSeen_;
  AccessGrants grants_;
  AccessGate gate_;
  // What the last refresh showed, for the item signals.
  bool wasUnlocked_ = false;
  QString shownCollection_;
  std::map<EntryId, int64_t> shownItems_;  // id -> modified
};

#include <QApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QTimer>
#include <set>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "ui/gui/qt_secret_text.h"
#include "secret_service/gui/secret_bus_types.h"
#include "secret_service/gui/secret_service_object.h"
#include "app/quillbox.h"
#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

namespace {

constexpr char kLabelProperty[] = "org.freedesktop.Secret.Item.Label";
constexpr char kAttributesProperty[] = "org.freedesktop.Secret.Item.Attributes";
constexpr char kDefaultAlias[] = "default";

QDBusObjectPath NoObject() { return QDBusObjectPath(QString::fromLatin1(kNoObjectPath)); }

bool PathsFrom(const QVariant& variant, QList<QDBusObjectPath>* paths) {
  if (variant.metaType() == QMetaType::fromType<QList<QDBusObjectPath>>()) {
    *paths = variant.value<QList<QDBusObjectPath>>();
    return true;
  }
  if (variant.metaType() != QMetaType::fromType<QDBusArgument>()) return false;
  const QDBusArgument argument = variant.value<QDBusArgument>();
  if (argument.currentSignature() != QLatin1String("ao")) return false;
  argument >> *paths;
  return true;
}

}  // namespace

void SecretServiceObject::HandleService(const QDBusMessage& call) {
  const QString member = call.member();
  const QList<QVariant> args = call.arguments();
  if (member == QLatin1String("OpenSession")) {
    OpenSession(call);
  } else if (member == QLatin1String("SearchItems")) {
    SearchItems(call, true);
  } else if (member == QLatin1String("Unlock")) {
    Unlock(call);
  } else if (member == QLatin1String("Lock")) {
    Lock(call);
  } else if (member == QLatin1String("GetSecrets")) {
    if (!Expect(call, "aoo")) return;
    QList<QDBusObjectPath> paths;
    PathsFrom(args[0], &paths);
    const auto session = SessionNumberFromPath(args[1].value<QDBusObjectPath>().path().toStdString());
    std::vector<EntryId> ids;
    const std::string collection = Collection().toStdString();
    for (const QDBusObjectPath& path : paths) {
      // Items that are not there, or not ours, are left out.
      auto id = collection.empty() ? std::nullopt : ItemIdFromPath(collection, path.path().toStdString());
      if (id && std::find(ids.begin(), ids.end(), *id) == ids.end()) ids.push_back(*id);
    }
    ReadSecrets(call, std::move(ids), session.value_or(0), true);
  } else if (member == QLatin1String("ReadAlias")) {
    if (!Expect(call, "s")) return;
    const bool known = args[0].toString() == QLatin1String(kDefaultAlias) && !Collection().isEmpty();
    Reply(call, {QVariant::fromValue(known ? QDBusObjectPath(Collection()) : NoObject())});
  } else if (member == QLatin1String("SetAlias")) {
    if (!Expect(call, "so")) return;
    // One collection: "default" names it already, and nothing else can.
    if (args[0].toString() == QLatin1String(kDefaultAlias) && args[1].value<QDBusObjectPath>().path() == Collection()) {
      Reply(call);
    } else {
      Fail(call, kNotSupportedError, QStringLiteral("Only \"default\" names the open safe's collection."));
    }
  } else if (member == QLatin1String("CreateCollection")) {
    if (!Expect(call, "a{sv}s")) return;
    // The one collection is the safe; a client asking for one gets it.
    Reply(call, {QVariant::fromValue(Collection().isEmpty() ? NoObject() : QDBusObjectPath(Collection())),
                 QVariant::fromValue(NoObject())});
  } else {
    Fail(call, kUnknownMethodError, QStringLiteral("No method %1 on the service").arg(member));
  }
}

void SecretServiceObject::OpenSession(const QDBusMessage& call) {
  if (!Expect(call, "sv")) return;
  const QList<QVariant> args = call.arguments();
  const QString client = call.service();
  const std::string algorithm = args[0].toString().toStdString();
  // Secrets in the clear over the bus are for a user who lets every program read them anyway.
  if (confirmReads_ && algorithm == kPlainAlgorithm) {
    Fail(call, kNotSupportedError, QStringLiteral("Plain sessions are refused while reads are confirmed."));
    return;
  }
  const QVariant input = args[1].value<QDBusVariant>().variant();
  QByteArray clientKey;
  if (algorithm != kPlainAlgorithm) {
    if (input.metaType() != QMetaType::fromType<QByteArray>()) {
      Fail(call, kInvalidArgsError, QStringLiteral("The session's input must be a byte array."));
      return;
    }
    clientKey = input.toByteArray();
  }
  std::vector<uint8_t> ours;
  SessionFault fault = SessionFault::kNone;
  auto crypto = SecretSession::Open(
      algorithm,
      std::span(reinterpret_cast<const uint8_t*>(clientKey.constData()), static_cast<size_t>(clientKey.size())), &ours,
      &fault);
  if (crypto == nullptr) {
    if (fault == SessionFault::kUnsupportedAlgorithm) {
      Fail(call, kNotSupportedError, QStringLiteral("Unknown algorithm"));
    } else if (fault == SessionFault::kBadInput) {
      Fail(call, kInvalidArgsError, QStringLiteral("Not a public key of the group"));
    } else {
      Fail(call, kFailedError, QStringLiteral("No session could be opened"));
    }
    return;
  }
  const auto number = objects_.AddSession(client.toStdString(), std::move(crypto));
  if (!number) {
    Fail(call, kLimitsExceededError, QStringLiteral("Too many open sessions."));
    return;
  }
  WatchClient(client);
  const QVariant output =
      algorithm == kPlainAlgorithm
          ? QVariant(QString())
          : QVariant(QByteArray(reinterpret_cast<const char*>(ours.data()), static_cast<qsizetype>(ours.size())));
  Reply(call, {QVariant::fromValue(QDBusVariant(output)),
               QVariant::fromValue(QDBusObjectPath(QString::fromStdString(SessionPath(*number))))});
}

void SecretServiceObject::SearchItems(const QDBusMessage& call, bool splitLocked) {
  if (!Expect(call, "a{ss}")) return;
  ItemAttributes wanted;
  if (!AttributesFromBus(call.arguments()[0], &wanted)) {
    Fail(call, kInvalidArgsError, QStringLiteral("Attributes are a{ss}."));
    return;
  }
  QList<QDBusObjectPath> found;
  // A locked safe's entries are not in memory: nothing to search.
  if (IsUnlocked()) {
    const std::vector<Entry>& entries = app_.GetEntries();
    for (const size_t index : SearchEntries(entries, wanted)) found.append(QDBusObjectPath(PathOf(entries[index].id)));
  }
  if (splitLocked) {
    Reply(call, {QVariant::fromValue(found), QVariant::fromValue(QList<QDBusObjectPath>())});
  } else {
    Reply(call, {QVariant::fromValue(found)});
  }
}

QList<QDBusObjectPath> SecretServiceObject::OurLockables(const QVariant& argument) const {
  QList<QDBusObjectPath> paths;
  PathsFrom(argument, &paths);
  QList<QDBusObjectPath> ours;
  for (const QDBusObjectPath& path : paths) {
    const Kind kind = Resolve(path.path()).kind;
    if (kind == Kind::kCollection || kind == Kind::kItem) ours.append(path);
  }
  return ours;
}

void SecretServiceObject::Unlock(const QDBusMessage& call) {
  if (!Expect(call, "ao")) return;
  const QList<QDBusObjectPath> ours = OurLockables(call.arguments()[0]);
  if (IsUnlocked() || ours.isEmpty()) {
    Reply(call, {QVariant::fromValue(ours), QVariant::fromValue(NoObject())});
    return;
  }
  const QString client = call.service();
  const auto number = objects_.AddPrompt(client.toStdString());
  if (!number) {
    Fail(call, kLimitsExceededError, QStringLiteral("Too many open prompts."));
    return;
  }
  WatchClient(client);
  Reply(call, {QVariant::fromValue(QList<QDBusObjectPath>()),
               QVariant::fromValue(QDBusObjectPath(QString::fromStdString(PromptPath(*number))))});
}

void SecretServiceObject::Lock(const QDBusMessage& call) {
  if (!Expect(call, "ao")) return;
  const QList<QDBusObjectPath> ours = OurLockables(call.arguments()[0]);
  // The safe is one lock: any of its objects locks it all, as the window's command does.
  if (!ours.isEmpty() && IsUnlocked()) window_.LockSafe();
  Reply(call, {QVariant::fromValue(ours), QVariant::fromValue(NoObject())});
}

void SecretServiceObject::HandleCollection(const QDBusMessage& call) {
  const QString member = call.member();
  if (member == QLatin1String("SearchItems")) {
    SearchItems(call, false);
  } else if (member == QLatin1String("CreateItem")) {
    CreateItem(call);
  } else if (member == QLatin1String("Delete")) {
    if (!Expect(call, "")) return;
    Fail(call, kNotSupportedError, QStringLiteral("The safe is deleted in Quillbox, not by other programs."));
  } else {
    Fail(call, kUnknownMethodError, QStringLiteral("No method %1 on a collection").arg(member));
  }
}

bool SecretServiceObject::OpenSecret(const QDBusMessage& call, const BusSecret& secret, SecretText* text) {
  const auto number = SessionNumberFromPath(secret.session.path().toStdString());
  const SecretSession* session = number ? objects_.SessionOf(call.service().toStdString(), *number) : nullptr;
  if (session == nullptr) {
    Fail(call, kNoSessionError, QStringLiteral("No such session"));
    return false;
  }
  const auto bytes = [](const QByteArray& array) {
    return std::span(reinterpret_cast<const uint8_t*>(array.constData()), static_cast<size_t>(array.size()));
  };
  const SessionFault fault = session->Unseal(bytes(secret.parameters), bytes(secret.value), text);
  if (fault != SessionFault::kNone) {
    Fail(call, kInvalidArgsError, QStringLiteral("The secret does not open with its session."));
    return false;
  }
  return true;
}

void SecretServiceObject::CreateItem(const QDBusMessage& call) {
  if (!Expect(call, "a{sv}(oayays)b")) return;
  const QList<QVariant> args = call.arguments();
  if (!IsUnlocked()) {
    Fail(call, kIsLockedError, QStringLiteral("The safe is locked."));
    return;
  }
  const QVariantMap properties = qdbus_cast<QVariantMap>(args[0]);
  BusSecret secret = qdbus_cast<BusSecret>(args[1]);
  const bool replace = args[2].toBool();
  QString label;
  ItemAttributes attributes;
  for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
    if (it.key() == QLatin1String(kLabelProperty)) {
      if (it.value().metaType() != QMetaType::fromType<QString>()) {
        Fail(call, kInvalidArgsError, QStringLiteral("The label is a string."));
        return;
      }
      label = it.value().toString();
    } else if (it.key() == QLatin1String(kAttributesProperty) && !AttributesFromBus(it.value(), &attributes)) {
      Fail(call, kInvalidArgsError, QStringLiteral("Attributes are a{ss}."));
      return;
    }
  }
  if (const char* why = CheckClientAttributes(attributes)) {
    Fail(call, kInvalidArgsError, QString::fromLatin1(why));
    return;
  }
  SecretText text;
  const bool opened = OpenSecret(call, secret, &text);
  secret.Wipe();
  if (!opened) return;
  const SecretText title = SecretFromText(label);
  Entry entry = NewItemEntry(title.view(), attributes, text.view());
  const std::vector<Entry>& entries = app_.GetEntries();
  const auto same = replace ? FindSameItem(entries, attributes) : std::nullopt;
  if (same) {
    const EntryId id = entries[*same].id;
    // The entry keeps what clients cannot see: notes, tags, protected fields, history.
    Write(call, id, AccessKind::kChange, [this, call, id, attributes, title, text] {
      ChangeEntry(call, id,
                  [&](Entry& edited) {
                    ApplyAttributes(attributes, &edited);
                    edited.title = title;
                    edited.password = text;
                  },
                  {QVariant::fromValue(QDBusObjectPath(PathOf(id))), QVariant::fromValue(NoObject())});
    });
    return;
  }
  if (const char* why = app_.CheckEntry(entry)) {
    Fail(call, kInvalidArgsError, QString::fromLatin1(why));
    return;
  }
  std::set<EntryId> before;
  for (const Entry& existing : entries) before.insert(existing.id);
  if (!app_.AddEntry(std::move(entry))) {
    Fail(call, kFailedError, QStringLiteral("The item could not be stored."));
    return;
  }
  for (const Entry& added : app_.GetEntries()) {
    if (before.count(added.id) != 0) continue;
    if (!app_.LastSaveSucceeded()) {
      Fail(call, kFailedError,
           QStringLiteral("Stored, but not yet saved: %1").arg(QString::fromStdString(app_.LastSaveError())));
      return;
    }
    gate_.NoteCreated(call.service().toStdString(), added.id);
    Reply(call, {QVariant::fromValue(QDBusObjectPath(PathOf(added.id))), QVariant::fromValue(NoObject())});
    return;
  }
  Fail(call, kFailedError, QStringLiteral("The item could not be stored."));
}

void SecretServiceObject::ChangeEntry(const QDBusMessage& call, const EntryId& id,
                                      const std::function<void(Entry&)>& change, const QList<QVariant>& reply) {
  // Looked up as the change is made: a question may have been up meanwhile.
  const Entry* found = IsUnlocked() ? app_.GetEntry(FindEntry(id)) : nullptr;
  if (found == nullptr) {
    Fail(call, IsUnlocked() ? kNoSuchObjectError : kIsLockedError, QStringLiteral("The item is not there."));
    return;
  }
  // A copy: the edit replaces the entry in the list.
  const Entry shown = *found;
  Entry edited = shown;
  change(edited);
  if (const char* why = app_.CheckEntry(edited)) {
    Fail(call, kInvalidArgsError, QString::fromLatin1(why));
  } else if (!app_.EditEntry(shown, std::move(edited))) {
    Fail(call, kFailedError, QStringLiteral("The item could not be changed."));
  } else if (!app_.LastSaveSucceeded()) {
    Fail(call, kFailedError,
         QStringLiteral("Changed, but not yet saved: %1").arg(QString::fromStdString(app_.LastSaveError())));
  } else {
    Reply(call, reply);
  }
}

void SecretServiceObject::HandleItem(const QDBusMessage& call, const EntryId& id) {
  const QString member = call.member();
  const bool known =
      member == QLatin1String("GetSecret") || member == QLatin1String("SetSecret") || member == QLatin1String("Delete");
  if (!known) {
    Fail(call, kUnknownMethodError, QStringLiteral("No method %1 on an item").arg(member));
    return;
  }
  const char* signature = member == QLatin1String("GetSecret")   ? "o"
                          : member == QLatin1String("SetSecret") ? "(oayays)"
                                                                 : "";
  if (!Expect(call, signature)) return;
  if (!IsUnlocked()) {
    Fail(call, kIsLockedError, QStringLiteral("The safe is locked."));
    return;
  }
  if (member == QLatin1String("GetSecret")) {
    const auto session = SessionNumberFromPath(call.arguments()[0].value<QDBusObjectPath>().path().toStdString());
    ReadSecrets(call, {id}, session.value_or(0), false);
  } else if (member == QLatin1String("SetSecret")) {
    SetSecret(call, id);
  } else {
    Write(call, id, AccessKind::kDelete, [this, call, id] { DeleteItem(call, id); });
  }
}

void SecretServiceObject::DeleteItem(const QDBusMessage& call, const EntryId& id) {
  const Entry* found = IsUnlocked() ? app_.GetEntry(FindEntry(id)) : nullptr;
  if (found == nullptr) {
    Fail(call, IsUnlocked() ? kNoSuchObjectError : kIsLockedError, QStringLiteral("The item is not there."));
  } else if (!app_.DeleteEntries({*found})) {
    Fail(call, kFailedError, QStringLiteral("The item could not be deleted."));
  } else if (!app_.LastSaveSucceeded()) {
    Fail(call, kFailedError,
         QStringLiteral("Deleted, but not yet saved: %1").arg(QString::fromStdString(app_.LastSaveError())));
  } else {
    Reply(call, {QVariant::fromValue(NoObject())});
  }
}

void SecretServiceObject::SetSecret(const QDBusMessage& call, const EntryId& id) {
  BusSecret secret = qdbus_cast<BusSecret>(call.arguments()[0]);
  SecretText text;
  const bool opened = OpenSecret(call, secret, &text);
  secret.Wipe();
  if (!opened) return;
  Write(call, id, AccessKind::kChange,
        [this, call, id, text] { ChangeEntry(call, id, [&](Entry& edited) { edited.password = text; }, {}); });
}

void SecretServiceObject::SetProperty(const QDBusMessage& call, const Target& target, const QString& interface,
                                      const QString& name, const QVariant& value) {
  const bool itemLabel = name == QLatin1String("Label");
  const bool itemAttributes = name == QLatin1String("Attributes");
  if (target.kind != Kind::kItem || interface != QLatin1String(kItemInterface) || !(itemLabel || itemAttributes)) {
    Fail(call, kAccessDeniedError, QStringLiteral("%1.%2 cannot be set").arg(interface, name));
    return;
  }
  if (!IsUnlocked()) {
    Fail(call, kIsLockedError, QStringLiteral("The safe is locked."));
    return;
  }
  const EntryId id = target.id;
  if (itemLabel) {
    if (value.metaType() != QMetaType::fromType<QString>()) {
      Fail(call, kInvalidArgsError, QStringLiteral("The label is a string."));
      return;
    }
    const SecretText title = SecretFromText(value.toString());
    Write(call, id, AccessKind::kChange,
          [this, call, id, title] { ChangeEntry(call, id, [&](Entry& edited) { edited.title = title; }, {}); });
    return;
  }
  ItemAttributes attributes;
  if (!AttributesFromBus(value, &attributes)) {
    Fail(call, kInvalidArgsError, QStringLiteral("Attributes are a{ss}."));
    return;
  }
  if (const char* why = CheckClientAttributes(attributes)) {
    Fail(call, kInvalidArgsError, QString::fromLatin1(why));
    return;
  }
  Write(call, id, AccessKind::kChange, [this, call, id, attributes] {
    ChangeEntry(call, id, [&](Entry& edited) { ApplyAttributes(attributes, &edited); }, {});
  });
}

void SecretServiceObject::HandleSession(const QDBusMessage& call, uint64_t number) {
  if (call.member() != QLatin1String("Close")) {
    Fail(call, kUnknownMethodError, QStringLiteral("No method %1 on a session").arg(call.member()));
    return;
  }
  if (!Expect(call, "")) return;
  if (!objects_.CloseSession(call.service().toStdString(), number)) {
    Fail(call, kAccessDeniedError, QStringLiteral("Not your session"));
    return;
  }
  Reply(call);
}

void SecretServiceObject::HandlePrompt(const QDBusMessage& call, uint64_t number) {
  const QString member = call.member();
  if (!objects_.OwnsPrompt(call.service().toStdString(), number)) {
    Fail(call, kAccessDeniedError, QStringLiteral("Not your prompt"));
    return;
  }
  if (member == QLatin1String("Prompt")) {
    if (!Expect(call, "s")) return;
    Reply(call);
    StartPrompt(number);
  } else if (member == QLatin1String("Dismiss")) {
    if (!Expect(call, "")) return;
    Reply(call);
    objects_.RemovePrompt(number);
    Emit(QString::fromStdString(PromptPath(number)), kPromptInterface, "Completed",
         {true, QVariant::fromValue(QDBusVariant(QVariant::fromValue(QList<QDBusObjectPath>())))});
  } else {
    Fail(call, kUnknownMethodError, QStringLiteral("No method %1 on a prompt").arg(member));
  }
}

void SecretServiceObject::StartPrompt(uint64_t number) {
  objects_.StartPrompt(number);
  window_.RestoreAndRaise();
  if (IsUnlocked()) {
    CompletePrompts(true);
    return;
  }
  // A log-in already asked (after a lock) completes it when it succeeds,
  // and dismisses it when it closes without.
  if (QApplication::activeModalWidget() != nullptr) {
    promptWatch_.start();
    return;
  }
  QTimer::singleShot(0, this, [this] {
    window_.RunCommand(kCmdLogIn);
    if (!IsUnlocked()) CompletePrompts(false);
  });
}

void SecretServiceObject::WatchPromptDialog() {
  if (IsUnlocked()) {
    CompletePrompts(true);
  } else if (QApplication::activeModalWidget() == nullptr) {
    CompletePrompts(false);
  }
}

void SecretServiceObject::CompletePrompts(bool unlocked) {
  QList<QDBusObjectPath> result;
  if (unlocked && !Collection().isEmpty()) result.append(QDBusObjectPath(Collection()));
  for (const uint64_t number : objects_.TakeStartedPrompts()) {
    Emit(QString::fromStdString(PromptPath(number)), kPromptInterface, "Completed",
         {!unlocked, QVariant::fromValue(QDBusVariant(QVariant::fromValue(result)))});
  }
  promptWatch_.stop();
}

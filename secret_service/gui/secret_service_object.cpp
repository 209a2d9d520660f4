#include "secret_service/gui/secret_service_object.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include "app/gui/main_window.h"
#include "ui/gui/qt_text.h"
#include "secret_service/gui/secret_bus_types.h"
#include "app/quillbox.h"
#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

namespace {

constexpr char kPropertiesXml[] = R"xml(<interface name="org.freedesktop.DBus.Properties">
<method name="Get"><arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
<method name="Set"><arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
<method name="GetAll"><arg name="interface" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
</interface>
)xml";

constexpr char kServiceXml[] = R"xml(<interface name="org.freedesktop.Secret.Service">
<method name="OpenSession"><arg name="algorithm" type="s" direction="in"/><arg name="input" type="v" direction="in"/><arg name="output" type="v" direction="out"/><arg name="result" type="o" direction="out"/></method>
<method name="CreateCollection"><arg name="properties" type="a{sv}" direction="in"/><arg name="alias" type="s" direction="in"/><arg name="collection" type="o" direction="out"/><arg name="prompt" type="o" direction="out"/></method>
<method name="SearchItems"><arg name="attributes" type="a{ss}" direction="in"/><arg name="unlocked" type="ao" direction="out"/><arg name="locked" type="ao" direction="out"/></method>
<method name="Unlock"><arg name="objects" type="ao" direction="in"/><arg name="unlocked" type="ao" direction="out"/><arg name="prompt" type="o" direction="out"/></method>
<method name="Lock"><arg name="objects" type="ao" direction="in"/><arg name="locked" type="ao" direction="out"/><arg name="Prompt" type="o" direction="out"/></method>
<method name="GetSecrets"><arg name="items" type="ao" direction="in"/><arg name="session" type="o" direction="in"/><arg name="secrets" type="a{o(oayays)}" direction="out"/></method>
<method name="ReadAlias"><arg name="name" type="s" direction="in"/><arg name="collection" type="o" direction="out"/></method>
<method name="SetAlias"><arg name="name" type="s" direction="in"/><arg name="collection" type="o" direction="in"/></method>
<property name="Collections" type="ao" access="read"/>
<signal name="CollectionCreated"><arg name="collection" type="o"/></signal>
<signal name="CollectionDeleted"><arg name="collection" type="o"/></signal>
<signal name="CollectionChanged"><arg name="collection" type="o"/></signal>
</interface>
)xml";

constexpr char kCollectionXml[] = R"xml(<interface name="org.freedesktop.Secret.Collection">
<method name="Delete"><arg name="prompt" type="o" direction="out"/></method>
<method name="SearchItems"><arg name="attributes" type="a{ss}" direction="in"/><arg name="results" type="ao" direction="out"/></method>
<method name="CreateItem"><arg name="properties" type="a{sv}" direction="in"/><arg name="secret" type="(oayays)" direction="in"/><arg name="replace" type="b" direction="in"/><arg name="item" type="o" direction="out"/><arg name="prompt" type="o" direction="out"/></method>
<property name="Items" type="ao" access="read"/>
<property name="Label" type="s" access="readwrite"/>
<property name="Locked" type="b" access="read"/>
<property name="Created" type="t" access="read"/>
<property name="Modified" type="t" access="read"/>
<signal name="ItemCreated"><arg name="item" type="o"/></signal>
<signal name="ItemDeleted"><arg name="item" type="o"/></signal>
<signal name="ItemChanged"><arg name="item" type="o"/></signal>
</interface>
)xml";

constexpr char kItemXml[] = R"xml(<interface name="org.freedesktop.Secret.Item">
<method name="Delete"><arg name="Prompt" type="o" direction="out"/></method>
<method name="GetSecret"><arg name="session" type="o" direction="in"/><arg name="secret" type="(oayays)" direction="out"/></method>
<method name="SetSecret"><arg name="secret" type="(oayays)" direction="in"/></method>
<property name="Locked" type="b" access="read"/>
<property name="Attributes" type="a{ss}" access="readwrite"/>
<property name="Label" type="s" access="readwrite"/>
<property name="Created" type="t" access="read"/>
<property name="Modified" type="t" access="read"/>
</interface>
)xml";

constexpr char kSessionXml[] = R"xml(<interface name="org.freedesktop.Secret.Session">
<method name="Close"/>
</interface>
)xml";

constexpr char kPromptXml[] = R"xml(<interface name="org.freedesktop.Secret.Prompt">
<method name="Prompt"><arg name="window-id" type="s" direction="in"/></method>
<method name="Dismiss"/>
<signal name="Completed"><arg name="dismissed" type="b"/><arg name="result" type="v"/></signal>
</interface>
)xml";

constexpr int kPromptWatchMs = 250;

QVariant Paths(const QList<QDBusObjectPath>& paths) { return QVariant::fromValue(paths); }

}  // namespace

SecretServiceObject::SecretServiceObject(Quillbox& app, MainWindow& window, const QDBusConnection& bus, QObject* parent)
    : QDBusVirtualObject(parent),
      app_(app),
      window_(window),
      bus_(bus),
      clients_(new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this)),
      grants_(AccessGrantsPath()),
      gate_(
          *this, grants_, [this](const EntryId& id) { return IsUnlocked() ? app_.GetEntry(FindEntry(id)) : nullptr; },
          [this](const AccessGate::Client& client) { return Identify(QString::fromStdString(client)); }) {
  RegisterSecretBusTypes();
  connect(clients_, &QDBusServiceWatcher::serviceUnregistered, this, &SecretServiceObject::ForgetClient);
  promptWatch_.setInterval(kPromptWatchMs);
  connect(&promptWatch_, &QTimer::timeout, this, &SecretServiceObject::WatchPromptDialog);
  wasUnlocked_ = IsUnlocked();
  shownCollection_ = Collection();
  if (wasUnlocked_) {
    for (const Entry& entry : app_.GetEntries()) {
      if (IsServed(entry)) shownItems_[entry.id] = entry.modified;
    }
  }
}

SecretServiceObject::~SecretServiceObject() { gate_.EndAll(AccessOutcome::kStopped); }

QString SecretServiceObject::Collection() const {
  const char* user = app_.GetUserName();
  if (user == nullptr || user[0] == '\0') return {};
  return QString::fromStdString(CollectionPath(user));
}

bool SecretServiceObject::IsUnlocked() const { return app_.IsLoggedIn(); }

int SecretServiceObject::FindEntry(const EntryId& id) const {
  const std::vector<Entry>& entries = app_.GetEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].id == id) return IsServed(entries[i]) ? static_cast<int>(i) : -1;
  }
  return -1;
}

QString SecretServiceObject::PathOf(const EntryId& id) const {
  return QString::fromStdString(ItemPath(Collection().toStdString(), id));
}

SecretServiceObject::Target SecretServiceObject::Resolve(const QString& path) const {
  Target target;
  const std::string text = path.toStdString();
  const QString collection = Collection();
  if (text == kServicePath) {
    target.kind = Kind::kService;
  } else if (!collection.isEmpty() && (path == collection || text == kDefaultAliasPath)) {
    target.kind = Kind::kCollection;
  } else if (auto id = collection.isEmpty() ? std::nullopt : ItemIdFromPath(collection.toStdString(), text)) {
    // A locked safe cannot tell which ids it holds: every item path is a locked item then.
    if (!IsUnlocked() || FindEntry(*id) >= 0) {
      target.kind = Kind::kItem;
      target.id = *id;
    }
  } else if (auto session = SessionNumberFromPath(text); session && objects_.HasSession(*session)) {
    target.kind = Kind::kSession;
    target.number = *session;
  } else if (auto prompt = PromptNumberFromPath(text); prompt && objects_.HasPrompt(*prompt)) {
    target.kind = Kind::kPrompt;
    target.number = *prompt;
  }
  return target;
}

QString SecretServiceObject::introspect(const QString& path) const {
  switch (Resolve(path).kind) {
    case Kind::kService:
      return QString::fromLatin1(kServiceXml) + QString::fromLatin1(kPropertiesXml);
    case Kind::kCollection:
      return QString::fromLatin1(kCollectionXml) + QString::fromLatin1(kPropertiesXml);
    case Kind::kItem:
      return QString::fromLatin1(kItemXml) + QString::fromLatin1(kPropertiesXml);
    case Kind::kSession:
      return QString::fromLatin1(kSessionXml);
    case Kind::kPrompt:
      return QString::fromLatin1(kPromptXml);
    case Kind::kNone:
      break;
  }
  return {};
}

bool SecretServiceObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  // Qt answers introspection from introspect().
  if (message.interface() == QLatin1String(kIntrospectableInterface)) return false;
  bus_ = connection;
  if (confirmReads_) NoteClient(message.service());
  const Target target = Resolve(message.path());
  if (target.kind == Kind::kNone) {
    Fail(message, kNoSuchObjectError, QStringLiteral("No such object: %1").arg(message.path()));
    return true;
  }
  if (message.interface() == QLatin1String(kPropertiesInterface)) {
    HandleProperties(message, target);
    return true;
  }
  switch (target.kind) {
    case Kind::kService:
      HandleService(message);
      break;
    case Kind::kCollection:
      HandleCollection(message);
      break;
    case Kind::kItem:
      HandleItem(message, target.id);
      break;
    case Kind::kSession:
      HandleSession(message, target.number);
      break;
    case Kind::kPrompt:
      HandlePrompt(message, target.number);
      break;
    case Kind::kNone:
      break;
  }
  return true;
}

void SecretServiceObject::Reply(const QDBusMessage& call, const QList<QVariant>& arguments) {
  if (call.isReplyRequired()) bus_.send(call.createReply(arguments));
}

void SecretServiceObject::Fail(const QDBusMessage& call, const char* name, const QString& text) {
  bus_.send(call.createErrorReply(QString::fromLatin1(name), text));
}

bool SecretServiceObject::Expect(const QDBusMessage& call, const char* signature) {
  if (call.signature() == QLatin1String(signature)) return true;
  Fail(call, kInvalidArgsError,
       QStringLiteral("%1 takes (%2), not (%3)").arg(call.member(), QLatin1String(signature), call.signature()));
  return false;
}

void SecretServiceObject::Emit(const QString& path, const char* interface, const char* name,
                               const QList<QVariant>& arguments) {
  QDBusMessage signal = QDBusMessage::createSignal(path, QString::fromLatin1(interface), QString::fromLatin1(name));
  signal.setArguments(arguments);
  bus_.send(signal);
}

bool SecretServiceObject::PropertiesOf(const Target& target, const QString& interface, QVariantMap* properties) const {
  const bool unlocked = IsUnlocked();
  if (target.kind == Kind::kService && interface == QLatin1String(kServiceInterface)) {
    QList<QDBusObjectPath> collections;
    if (!Collection().isEmpty()) collections.append(QDBusObjectPath(Collection()));
    properties->insert(QStringLiteral("Collections"), Paths(collections));
    return true;
  }
  if (target.kind == Kind::kCollection && interface == QLatin1String(kCollectionInterface)) {
    QList<QDBusObjectPath> items;
    qulonglong created = 0;
    qulonglong modified = 0;
    if (unlocked) {
      for (const Entry& entry : app_.GetEntries()) {
        if (!IsServed(entry)) continue;
        items.append(QDBusObjectPath(PathOf(entry.id)));
        const auto entryCreated = static_cast<qulonglong>(std::max<int64_t>(entry.created, 0));
        if (created == 0 || entryCreated < created) created = entryCreated;
        modified = std::max(modified, static_cast<qulonglong>(std::max<int64_t>(entry.modified, 0)));
      }
    }
    properties->insert(QStringLiteral("Items"), Paths(items));
    properties->insert(QStringLiteral("Label"), QString::fromUtf8(app_.GetUserName()));
    properties->insert(QStringLiteral("Locked"), !unlocked);
    properties->insert(QStringLiteral("Created"), QVariant::fromValue(created));
    properties->insert(QStringLiteral("Modified"), QVariant::fromValue(modified));
    return true;
  }
  if (target.kind == Kind::kItem && interface == QLatin1String(kItemInterface)) {
    const Entry* entry = unlocked ? app_.GetEntry(FindEntry(target.id)) : nullptr;
    properties->insert(QStringLiteral("Locked"), entry == nullptr);
    // A locked item shows nothing of its entry.
    properties->insert(QStringLiteral("Attributes"),
                       QVariant::fromValue(entry ? AttributesToBus(AttributesOf(*entry)) : BusAttributes()));
    properties->insert(QStringLiteral("Label"), entry ? TextFromBytes(entry->title.view()) : QString());
    properties->insert(QStringLiteral("Created"),
                       QVariant::fromValue(static_cast<qulonglong>(entry ? std::max<int64_t>(entry->created, 0) : 0)));
    properties->insert(QStringLiteral("Modified"),
                       QVariant::fromValue(static_cast<qulonglong>(entry ? std::max<int64_t>(entry->modified, 0) : 0)));
    return true;
  }
  return target.kind == Kind::kSession && interface == QLatin1String(kSessionInterface);
}

void SecretServiceObject::HandleProperties(const QDBusMessage& call, const Target& target) {
  const QList<QVariant> args = call.arguments();
  const QString member = call.member();
  if (member == QLatin1String("GetAll")) {
    if (!Expect(call, "s")) return;
    QVariantMap properties;
    PropertiesOf(target, args[0].toString(), &properties);
    Reply(call, {properties});
  } else if (member == QLatin1String("Get")) {
    if (!Expect(call, "ss")) return;
    QVariantMap properties;
    PropertiesOf(target, args[0].toString(), &properties);
    const auto found = properties.constFind(args[1].toString());
    if (found == properties.cend()) {
      Fail(call, kUnknownPropertyError,
           QStringLiteral("No property %1.%2").arg(args[0].toString(), args[1].toString()));
      return;
    }
    Reply(call, {QVariant::fromValue(QDBusVariant(*found))});
  } else if (member == QLatin1String("Set")) {
    if (!Expect(call, "ssv")) return;
    SetProperty(call, target, args[0].toString(), args[1].toString(), args[2].value<QDBusVariant>().variant());
  } else {
    Fail(call, kUnknownMethodError, QStringLiteral("No method %1").arg(member));
  }
}

void SecretServiceObject::NoteListChanged() {
  const bool unlocked = IsUnlocked();
  const QString collection = Collection();
  const QString service = QString::fromLatin1(kServicePath);
  std::map<EntryId, int64_t> items;
  if (unlocked) {
    for (const Entry& entry : app_.GetEntries()) {
      if (IsServed(entry)) items[entry.id] = entry.modified;
    }
  }
  const bool sameCollection = collection == shownCollection_;
  if (!sameCollection) {
    if (!shownCollection_.isEmpty()) {
      Emit(service, kServiceInterface, "CollectionDeleted", {QVariant::fromValue(QDBusObjectPath(shownCollection_))});
    }
    if (!collection.isEmpty()) {
      Emit(service, kServiceInterface, "CollectionCreated", {QVariant::fromValue(QDBusObjectPath(collection))});
    }
  } else if (unlocked && wasUnlocked_) {
    // Both lists are sorted by id: one walk finds what came, went and changed.
    auto before = shownItems_.cbegin();
    auto now = items.cbegin();
    auto item = [&](const EntryId& id) { return QVariant::fromValue(QDBusObjectPath(PathOf(id))); };
    while (before != shownItems_.cend() || now != items.cend()) {
      if (now == items.cend() || (before != shownItems_.cend() && before->first < now->first)) {
        Emit(collection, kCollectionInterface, "ItemDeleted", {item(before->first)});
        ++before;
      } else if (before == shownItems_.cend() || now->first < before->first) {
        Emit(collection, kCollectionInterface, "ItemCreated", {item(now->first)});
        ++now;
      } else {
        if (before->second != now->second) Emit(collection, kCollectionInterface, "ItemChanged", {item(now->first)});
        ++before;
        ++now;
      }
    }
  }
  if (sameCollection && unlocked != wasUnlocked_ && !collection.isEmpty()) {
    Emit(service, kServiceInterface, "CollectionChanged", {QVariant::fromValue(QDBusObjectPath(collection))});
  }
  const bool justUnlocked = unlocked && !wasUnlocked_;
  const bool justLocked = !unlocked && wasUnlocked_;
  wasUnlocked_ = unlocked;
  shownCollection_ = collection;
  shownItems_ = std::move(items);
  if (justUnlocked) CompletePrompts(true);
  if (justLocked) gate_.EndAll(AccessOutcome::kLocked);
}

void SecretServiceObject::WatchClient(const QString& client) {
  if (!clients_->watchedServices().contains(client)) clients_->addWatchedService(client);
}

void SecretServiceObject::ForgetClient(const QString& client) {
  clients_->removeWatchedService(client);
  objects_.Forget(client.toStdString());
  firstSeen_.erase(client);
  // Nobody is left to answer to: its questions go, the next client's come.
  gate_.ForgetClient(client.toStdString());
}

#include "secret_service/gui/secret_service_object.h"

#include <QDBusServiceWatcher>

#include "secret_service/gui/secret_bus_types.h"

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

constexpr int kBusCallTimeoutMs = 5000;

}  // namespace

SecretServiceObject::SecretServiceObject(Quillbox& app, MainWindow& window, const QDBusConnection& bus, QObject* parent)
    : QDBusVirtualObject(parent),
      bus_(bus),
      clients_(new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this)),
      store_(app, window),
      asker_(window),
      grants_(AccessGrantsPath()),
      protocol_(std::make_unique<SecretServiceProtocol>(static_cast<SecretBus&>(*this), asker_, store_, grants_)) {
  RegisterSecretBusTypes();
  connect(clients_, &QDBusServiceWatcher::serviceUnregistered, this, &SecretServiceObject::ForgetClient);
  connect(&asker_, &WindowSecretAsker::answered, this, [this](AccessAnswer answer) { protocol_->Answer(answer); });
  connect(&asker_, &WindowSecretAsker::logInEnded, this, [this] { protocol_->LogInEnded(); });
}

// The protocol ends what waits (its calls fail) while the bus is still here.
SecretServiceObject::~SecretServiceObject() { protocol_.reset(); }

QString SecretServiceObject::introspect(const QString& path) const {
  switch (protocol_->KindOf(path.toStdString())) {
    case ObjectKind::kService:
      return QString::fromLatin1(kServiceXml) + QString::fromLatin1(kPropertiesXml);
    case ObjectKind::kCollection:
      return QString::fromLatin1(kCollectionXml) + QString::fromLatin1(kPropertiesXml);
    case ObjectKind::kItem:
      return QString::fromLatin1(kItemXml) + QString::fromLatin1(kPropertiesXml);
    case ObjectKind::kSession:
      return QString::fromLatin1(kSessionXml);
    case ObjectKind::kPrompt:
      return QString::fromLatin1(kPromptXml);
    case ObjectKind::kNone:
      break;
  }
  return {};
}

bool SecretServiceObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  // Qt answers introspection from introspect().
  if (message.interface() == QLatin1String(kIntrospectableInterface)) return false;
  bus_ = connection;
  message.setDelayedReply(true);
  BusCall call;
  call.serial = nextCall_++;
  call.sender = message.service().toStdString();
  call.path = message.path().toStdString();
  call.interface = message.interface().toStdString();
  call.member = message.member().toStdString();
  call.signature = message.signature().toStdString();
  for (const QVariant& argument : message.arguments()) call.arguments.push_back(FromBus(argument));
  calls_.emplace(call.serial, message);
  protocol_->HandleCall(call);
  return true;
}

std::optional<QDBusMessage> SecretServiceObject::TakeMessage(const BusCall& call) {
  const auto found = calls_.find(call.serial);
  if (found == calls_.end()) return std::nullopt;
  QDBusMessage message = found->second;
  calls_.erase(found);
  return message;
}

void SecretServiceObject::Reply(const BusCall& call, std::vector<BusValue> arguments) {
  const std::optional<QDBusMessage> message = TakeMessage(call);
  if (!message) return;
  std::vector<QByteArray> secrets;
  {
    QList<QVariant> values;
    for (const BusValue& argument : arguments) values.append(ToBus(argument, &secrets));
    if (message->isReplyRequired()) bus_.send(message->createReply(values));
  }
  // The message and its copies are gone: ours are the last, and can be wiped.
  for (QByteArray& secret : secrets) WipeBusBytes(secret);
}

void SecretServiceObject::Fail(const BusCall& call, const char* error, const std::string& text) {
  const std::optional<QDBusMessage> message = TakeMessage(call);
  if (message) bus_.send(message->createErrorReply(QString::fromLatin1(error), QString::fromStdString(text)));
}

void SecretServiceObject::Emit(const std::string& path, const char* interface, const char* name,
                               std::vector<BusValue> arguments) {
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromStdString(path), QString::fromLatin1(interface),
                                                   QString::fromLatin1(name));
  std::vector<QByteArray> secrets;
  QList<QVariant> values;
  for (const BusValue& argument : arguments) values.append(ToBus(argument, &secrets));
  signal.setArguments(values);
  bus_.send(signal);
}

pid_t SecretServiceObject::ClientPid(const std::string& client) {
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionCredentials"));
  ask << QString::fromStdString(client);
  const QDBusMessage reply = bus_.call(ask, QDBus::Block, kBusCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  const QVariantMap credentials = qdbus_cast<QVariantMap>(reply.arguments().first());
  return static_cast<pid_t>(credentials.value(QStringLiteral("ProcessID")).toUInt());
}

void SecretServiceObject::WatchClient(const std::string& client) {
  const QString name = QString::fromStdString(client);
  if (!clients_->watchedServices().contains(name)) clients_->addWatchedService(name);
}

void SecretServiceObject::ForgetClient(const QString& client) {
  clients_->removeWatchedService(client);
  protocol_->ForgetClient(client.toStdString());
  // Its calls that still waited have nobody to answer to.
  std::erase_if(calls_, [&](const auto& call) { return call.second.service() == client; });
}

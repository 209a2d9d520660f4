#include "app/gui/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

#include "core/product_name.h"

namespace {

// "activate", then a space and the launcher's activation token when it gave
// one, then a newline. The bare line is what earlier versions send.
constexpr char kActivateRequest[] = "activate";
constexpr char kActivationTokenVariable[] = "XDG_ACTIVATION_TOKEN";
// Tokens are short; a longer line is not one of ours.
constexpr qsizetype kMaxRequestSize = 4096;
constexpr int kConnectTimeoutMs = 1000;
// A first instance that holds the lock may still be starting its server.
constexpr int kConnectAttempts = 50;
constexpr int kRetryDelayMs = 100;

QByteArray ActivationRequest(const QByteArray& token) {
  QByteArray request(kActivateRequest);
  if (!token.isEmpty()) request += ' ' + token;
  return request + '\n';
}

// The token of a whole request line; empty for the bare request and for
// anything that is not printable ASCII.
QByteArray TokenOf(const QByteArray& line) {
  const QByteArray prefix = QByteArray(kActivateRequest) + ' ';
  if (!line.startsWith(prefix)) return {};
  const QByteArray token = line.mid(prefix.size());
  for (char c : token) {
    if (c <= ' ' || c > '~') return {};
  }
  return token;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name), lock_(name + QStringLiteral(".lock")) {
  lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) {
    server_->close();
  }
}

// The user's runtime folder is private to the user; the shared temporary
// folder is the fallback, where the uid in the name keeps users apart.
QString SingleInstance::DefaultName() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QDir(folder).exists()) {
    folder = QDir::tempPath();
  }
  return QDir(folder).filePath(QStringLiteral("%1-%2").arg(QString::fromLatin1(kProductName)).arg(getuid()));
}

bool SingleInstance::ClaimOrActivate() {
  if (!lock_.tryLock(0)) {
    if (AskRunningInstance()) {
      return false;
    }
    // The holder did not answer: a lock whose owner died is taken over.
    lock_.removeStaleLockFile();
    if (!lock_.tryLock(0)) {
      return false;
    }
  }
  // A socket left by a crashed instance would block listen().
  QLocalServer::removeServer(name_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
  // Without a server a later start finds no one to ask; this one still runs.
  server_->listen(name_);
  return true;
}

void SingleInstance::SetActivationHandler(std::function<void()> handler) {
  handler_ = std::move(handler);
  if (pending_ && handler_) {
    pending_ = false;
    Activate();
  }
}

// Qt's Wayland platform activates a window with the token it finds in the
// environment, as the compositor asks. Only for this activation: a token
// left there would pass on to programs started later.
void SingleInstance::Activate() {
  if (!pendingToken_.isEmpty()) qputenv(kActivationTokenVariable, pendingToken_);
  pendingToken_.clear();
  handler_();
  qunsetenv(kActivationTokenVariable);
}

bool SingleInstance::AskRunningInstance() {
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (socket.waitForConnected(kConnectTimeoutMs)) {
      socket.write(ActivationRequest(qgetenv(kActivationTokenVariable)));
      socket.waitForBytesWritten(kConnectTimeoutMs);
      socket.disconnectFromServer();
      return true;
    }
    QThread::msleep(kRetryDelayMs);
  }
  return false;
}

void SingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestSize) socket->abort();
        return;
      }
      pendingToken_ = TokenOf(socket->readLine(kMaxRequestSize).trimmed());
      socket->readAll();
      if (handler_) {
        Activate();
      } else {
        pending_ = true;
      }
    });
  }
}

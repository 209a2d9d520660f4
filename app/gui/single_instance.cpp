#include "app/gui/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace {

constexpr char kActivateRequest[] = "activate\n";
constexpr int kConnectTimeoutMs = 1000;
// A first instance that holds the lock may still be starting its server.
constexpr int kConnectAttempts = 50;
constexpr int kRetryDelayMs = 100;

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
  return QDir(folder).filePath(QStringLiteral("Tarnwell Quillbox-%1").arg(getuid()));
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
    handler_();
  }
}

bool SingleInstance::AskRunningInstance() {
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (socket.waitForConnected(kConnectTimeoutMs)) {
      socket.write(kActivateRequest);
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
      if (!socket->readAll().contains('\n')) {
        return;
      }
      if (handler_) {
        handler_();
      } else {
        pending_ = true;
      }
    });
  }
}

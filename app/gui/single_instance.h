#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

// One Quillbox per user: the first instance holds a lock and listens on a
// local socket; a later start tells it to come forward and then ends.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // name: the full path of the socket; the lock file sits beside it.
  explicit SingleInstance(const QString& name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this process is the first instance and now listens; false when
  // another instance runs, which has then been asked to come forward.
  bool ClaimOrActivate();

  // Called in the first instance each time a later start asks. A request
  // that came before any handler (during the splash, say) is kept, and the
  // handler is called for it at once when it is set. The activation token
  // the later start was launched with (XDG_ACTIVATION_TOKEN) is in this
  // process's environment while the handler runs, for the window to use.
  void SetActivationHandler(std::function<void()> handler);
  bool HasPendingActivation() const { return pending_; }

  static QString DefaultName();

 private:
  bool AskRunningInstance();
  void OnNewConnection();
  void Activate();

  QString name_;
  QLockFile lock_;
  QLocalServer* server_ = nullptr;
  std::function<void()> handler_;
  bool pending_ = false;
  QByteArray pendingToken_;
};

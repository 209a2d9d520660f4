#pragma once

#include <QObject>
#include <QPointer>
#include <string>

#include "secret_service/gui/access_question.h"
#include "secret_service/secret_asker.h"

class MainWindow;

// The Secret Service's questions over the window: a program's request in
// an AccessQuestion, and Unlock's log-in as the window's own, brought up as
// the tray brings it.
class WindowSecretAsker : public QObject, public SecretAsker {
  Q_OBJECT

 public:
  explicit WindowSecretAsker(MainWindow& window) : window_(window) {}

  void Ask(const std::string& text, bool isRead, bool canRemember) override;
  void Withdraw() override;
  void AskLogIn() override;

 signals:
  void answered(AccessAnswer answer);
  void logInEnded();

 private:
  MainWindow& window_;
  QPointer<AccessQuestion> question_;
};

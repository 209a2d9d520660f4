#include "secret_service/gui/window_secret_asker.h"

#include <QApplication>
#include <QTimer>

#include "app/command_ids.h"
#include "app/gui/main_window.h"

void WindowSecretAsker::Ask(const std::string& text, bool isRead, bool canRemember) {
  window_.RestoreAndRaise();
  question_ = new AccessQuestion(&window_, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), isRead,
                                 canRemember);
  connect(question_, &AccessQuestion::answered, this, [this](AccessAnswer answer) {
    question_ = nullptr;
    emit answered(answer);
  });
  question_->Ask();
}

void WindowSecretAsker::Withdraw() {
  if (question_ == nullptr) return;
  disconnect(question_, nullptr, this, nullptr);
  question_->close();
  question_ = nullptr;
}

void WindowSecretAsker::AskLogIn() {
  // Not inside the client's call: the log-in waits in a loop of its own.
  QTimer::singleShot(0, this, [this] {
    const QPointer<WindowSecretAsker> self(this);
    // A log-in open already is in front of a window in view: raising the
    // window would take the keyboard from the log-in for a moment.
    if (QApplication::activeModalWidget() == nullptr || window_.isMinimized() || !window_.isVisible()) {
      window_.RestoreAndRaise();
    }
    // A log-in already open is brought forward and waited for.
    window_.RunCommand(kCmdLogIn);
    // The service may have been turned off meanwhile.
    if (self != nullptr) emit logInEnded();
  });
}

#pragma once

#include <QMessageBox>
#include <QString>

enum class AccessAnswer { kAllow, kAllowAlways, kDeny, kWithdrawn };

// "Allow PROGRAM to read TITLE?" over the window, without blocking it: the
// answered signal comes once. Closing the box (Escape, or a lock cancelling
// the window's dialogs) answers kWithdrawn.
class AccessQuestion : public QMessageBox {
  Q_OBJECT

 public:
  // Allow Always is offered only when the program is known by its executable.
  AccessQuestion(QWidget* parent, const QString& program, const QString& title, bool canRemember);
  // Shows it; deleted once answered.
  void Ask();

 signals:
  void answered(AccessAnswer answer);

 private:
  QAbstractButton* allow_;
  QAbstractButton* allowAlways_;
  QAbstractButton* deny_;
};

#pragma once

#include <QMessageBox>
#include <QString>

#include "secret_service/access_gate.h"

// A program's request, put to the user over the window without blocking
// it: the answered signal comes once. The text is shown as plain text,
// never as markup. Closing the box (Escape, or a lock cancelling the
// window's dialogs) answers kWithdrawn.
class AccessQuestion : public QMessageBox {
  Q_OBJECT

 public:
  // A read offers Allow Always, enabled only when canRemember; a change or
  // deletion only Allow and Deny.
  AccessQuestion(QWidget* parent, const QString& text, bool isRead, bool canRemember);
  // Shows it; deleted once answered.
  void Ask();

 signals:
  void answered(AccessAnswer answer);

 private:
  QAbstractButton* allow_;
  QAbstractButton* allowAlways_ = nullptr;
  QAbstractButton* deny_;
};

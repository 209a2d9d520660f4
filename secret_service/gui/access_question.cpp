#include "secret_service/gui/access_question.h"

#include <QAbstractButton>
#include <QPushButton>

namespace {

constexpr char kCaption[] = "Secret Service";

}  // namespace

AccessQuestion::AccessQuestion(QWidget* parent, const QString& text, bool isRead, bool canRemember)
    : QMessageBox(QMessageBox::Question, QString::fromLatin1(kCaption), QString(), QMessageBox::NoButton, parent) {
  // Titles and command lines are the programs' and users' words, never markup.
  setTextFormat(Qt::PlainText);
  setText(text);
  allow_ = addButton(QStringLiteral("&Allow"), QMessageBox::AcceptRole);
  if (isRead) {
    allowAlways_ = addButton(QStringLiteral("Allow Al&ways"), QMessageBox::YesRole);
    allowAlways_->setEnabled(canRemember);
  }
  deny_ = addButton(QStringLiteral("&Deny"), QMessageBox::RejectRole);
  // Enter must not hand a secret out.
  setDefaultButton(qobject_cast<QPushButton*>(deny_));
  setEscapeButton(deny_);
  setAttribute(Qt::WA_DeleteOnClose);
}

void AccessQuestion::Ask() {
  connect(this, &QMessageBox::finished, this, [this] {
    QAbstractButton* clicked = clickedButton();
    AccessAnswer answer = AccessAnswer::kWithdrawn;
    if (clicked == allow_) answer = AccessAnswer::kAllow;
    if (clicked != nullptr && clicked == allowAlways_) answer = AccessAnswer::kAllowAlways;
    if (clicked == deny_) answer = AccessAnswer::kDeny;
    emit answered(answer);
  });
  open();
}

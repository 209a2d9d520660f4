#include "app/gui/secret_service/access_question.h"

#include <QAbstractButton>
#include <QPushButton>

namespace {

constexpr char kQuestion[] = "Allow %1 to read %2?";
constexpr char kCaption[] = "Secret Service";

}  // namespace

AccessQuestion::AccessQuestion(QWidget* parent, const QString& program, const QString& title, bool canRemember)
    : QMessageBox(QMessageBox::Question, QString::fromLatin1(kCaption),
                  QString::fromLatin1(kQuestion).arg(program, title), QMessageBox::NoButton, parent) {
  allow_ = addButton(QStringLiteral("&Allow"), QMessageBox::AcceptRole);
  allowAlways_ = addButton(QStringLiteral("Allow Al&ways"), QMessageBox::YesRole);
  allowAlways_->setEnabled(canRemember);
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
    if (clicked == allowAlways_) answer = AccessAnswer::kAllowAlways;
    if (clicked == deny_) answer = AccessAnswer::kDeny;
    emit answered(answer);
  });
  open();
}

#include "app/gui/set_password_dialog.h"

#include "health/gui/password_strength_hint.h"
#include "ui/gui/qt_text.h"
#include "app/quillbox.h"
#include "ui_set_password_dialog.h"

namespace {

constexpr char kNoSafeCaption[] = "Create new user";

}  // namespace

SetPasswordDialog::SetPasswordDialog(Quillbox& app, QWidget* parent)
    : QDialog(parent), app_(app), ui_(std::make_unique<Ui::SetPasswordDialog>()) {
  ui_->setupUi(this);
  if (app_.IsLoggedIn()) {
    ui_->nameEdit->setText(TextFromBytes(app_.GetUserName()));
    ui_->nameEdit->setEnabled(false);
  } else {
    setWindowTitle(QString::fromLatin1(kNoSafeCaption));
  }
  ShowPasswordStrength(ui_->passwordEdit, ui_->nameEdit, ui_->strengthLabel);
  connect(ui_->okButton, &QPushButton::clicked, this, &SetPasswordDialog::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &SetPasswordDialog::reject);
}

SetPasswordDialog::~SetPasswordDialog() {
  ui_->oldPasswordEdit->clear();
  ui_->passwordEdit->clear();
  ui_->confirmEdit->clear();
}

void SetPasswordDialog::accept() {
  const QByteArray name = BytesFromText(ui_->nameEdit->text());
  QByteArray oldPassword = BytesFromText(ui_->oldPasswordEdit->text());
  QByteArray password = BytesFromText(ui_->passwordEdit->text());
  QByteArray confirmation = BytesFromText(ui_->confirmEdit->text());
  const bool done = app_.SubmitNewPassword(static_cast<QWidget*>(this), name.constData(), oldPassword.constData(),
                                           password.constData(), confirmation.constData());
  WipeBytes(oldPassword);
  WipeBytes(password);
  WipeBytes(confirmation);
  if (done) {
    QDialog::accept();
  }
}

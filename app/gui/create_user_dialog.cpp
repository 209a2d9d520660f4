#include "app/gui/create_user_dialog.h"

#include "health/gui/password_strength_hint.h"
#include "ui/gui/qt_text.h"
#include "app/quillbox.h"
#include "ui_create_user_dialog.h"

namespace {

constexpr char kCaption[] = "Create new user";

}  // namespace

CreateUserDialog::CreateUserDialog(Quillbox& app, QWidget* parent)
    : QDialog(parent), app_(app), ui_(std::make_unique<Ui::CreateUserDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(QString::fromLatin1(kCaption));
  ShowPasswordStrength(ui_->passwordEdit, ui_->nameEdit, ui_->strengthLabel);
  connect(ui_->okButton, &QPushButton::clicked, this, &CreateUserDialog::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &CreateUserDialog::reject);
}

CreateUserDialog::~CreateUserDialog() {
  ui_->passwordEdit->clear();
  ui_->confirmEdit->clear();
}

void CreateUserDialog::accept() {
  const QByteArray name = BytesFromText(ui_->nameEdit->text());
  QByteArray password = BytesFromText(ui_->passwordEdit->text());
  QByteArray confirmation = BytesFromText(ui_->confirmEdit->text());
  const bool done = app_.SubmitCreateUser(static_cast<QWidget*>(this), name.constData(), password.constData(),
                                          confirmation.constData());
  WipeBytes(password);
  WipeBytes(confirmation);
  if (done) {
    QDialog::accept();
  }
}

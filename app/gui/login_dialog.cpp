#include "app/gui/login_dialog.h"

#include <QDir>

#include "app/gui/create_user_dialog.h"
#include "ui/gui/qt_text.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"
#include "ui_login_dialog.h"

LoginDialog::LoginDialog(Quillbox& app, QWidget* parent)
    : QDialog(parent), app_(app), ui_(std::make_unique<Ui::LoginDialog>()) {
  ui_->setupUi(this);
  ui_->nameEdit->setText(TextFromBytes(app_.GetUserName()));
  // Where the names are looked up: a safe left in another folder is not found.
  ui_->folderLabel->setText(QString::fromLatin1(kSafeFolderLabel) +
                            QDir::toNativeSeparators(QString::fromLocal8Bit(GetSafeFolder().path.c_str())));
  if (!ui_->nameEdit->text().isEmpty()) {
    ui_->passwordEdit->setFocus();
  }
  connect(ui_->okButton, &QPushButton::clicked, this, &LoginDialog::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &LoginDialog::reject);
  connect(ui_->newUserButton, &QPushButton::clicked, this, &LoginDialog::CreateNewUser);
}

LoginDialog::~LoginDialog() { ui_->passwordEdit->clear(); }

void LoginDialog::accept() {
  QByteArray password = BytesFromText(ui_->passwordEdit->text());
  const QByteArray name = BytesFromText(ui_->nameEdit->text());
  const bool loggedIn = app_.SubmitLogIn(static_cast<QWidget*>(this), name.constData(), password.constData());
  WipeBytes(password);
  if (loggedIn) {
    QDialog::accept();
    return;
  }
  // What was refused is selected, so the next typing replaces it.
  QLineEdit* refused = SafeExists(name.constData()) ? ui_->passwordEdit : ui_->nameEdit;
  refused->setFocus(Qt::OtherFocusReason);
  refused->selectAll();
}

void LoginDialog::CreateNewUser() {
  CreateUserDialog dialog(app_, this);
  if (dialog.exec() == QDialog::Accepted) {
    QDialog::accept();
  }
}

#include "app/gui/safe_password_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/gui/qt_text.h"
#include "app/quillbox.h"

namespace {

constexpr char kTitle[] = "Enter Password";

}  // namespace

SafePasswordDialog::SafePasswordDialog(const QString& userName, const QString& prompt, QWidget* parent)
    : QDialog(parent), password_(new QLineEdit) {
  setWindowTitle(QString::fromLatin1(kTitle));
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(prompt), 0, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Name:")), 1, 0);
  auto* name = new QLineEdit(userName);
  name->setObjectName(QStringLiteral("nameEdit"));
  name->setEnabled(false);
  layout->addWidget(name, 1, 1);
  auto* passwordLabel = new QLabel(QStringLiteral("Password:"));
  passwordLabel->setBuddy(password_);
  layout->addWidget(passwordLabel, 2, 0);
  password_->setObjectName(QStringLiteral("passwordEdit"));
  password_->setEchoMode(QLineEdit::Password);
  password_->setMaxLength(kPasswordCapacity - 1);
  layout->addWidget(password_, 2, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  layout->addWidget(buttons, 3, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  password_->setFocus();
}

SafePasswordDialog::~SafePasswordDialog() { password_->clear(); }

QByteArray SafePasswordDialog::Password() const { return BytesFromText(password_->text()); }

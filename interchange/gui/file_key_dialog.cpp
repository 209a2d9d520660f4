#include "interchange/gui/file_key_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/new_password.h"
#include "interchange/gui/interchange_commands.h"
#include "ui/gui/qt_text.h"

namespace {

constexpr char kOpenTitle[] = "Enter File Password";
constexpr char kNewTitle[] = "Set File Password";

QString Prompt(const FileKeyRequest& request) {
  if (request.new_key) {
    return request.takes_key_file ? QStringLiteral("Choose the new file's password and, if you like, a key file:")
                                  : QStringLiteral("Choose the new file's password:");
  }
  return request.takes_key_file ? QStringLiteral("Enter the database's password, its key file, or both:")
                                : QStringLiteral("Enter the password the file was exported with:");
}

// The reasons come as fragments made to follow a file name; shown alone,
// each is a sentence.
QString AsSentence(const char* reason) {
  QString text = QString::fromUtf8(reason);
  if (text.isEmpty()) return text;
  text[0] = text[0].toUpper();
  if (!text.endsWith('.') && !text.endsWith('?') && !text.endsWith('!')) text += '.';
  return text;
}

QLineEdit* PasswordField(const char* name) {
  auto* field = new QLineEdit;
  field->setObjectName(QString::fromLatin1(name));
  field->setEchoMode(QLineEdit::Password);
  return field;
}

}  // namespace

FileKeyDialog::FileKeyDialog(const FileKeyRequest& request, QWidget* parent)
    : QDialog(parent), new_key_(request.new_key), password_(PasswordField("passwordEdit")), problem_(new QLabel) {
  setWindowTitle(QString::fromLatin1(request.new_key ? kNewTitle : kOpenTitle));
  auto* layout = new QGridLayout(this);
  int row = 0;
  layout->addWidget(new QLabel(Prompt(request)), row++, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("File:")), row, 0);
  auto* name = new QLineEdit(QFile::decodeName(request.file_name.c_str()));
  name->setObjectName(QStringLiteral("fileEdit"));
  name->setEnabled(false);
  layout->addWidget(name, row++, 1);
  auto* passwordLabel = new QLabel(QStringLiteral("Password:"));
  passwordLabel->setBuddy(password_);
  layout->addWidget(passwordLabel, row, 0);
  layout->addWidget(password_, row++, 1);
  if (request.new_key) {
    confirm_ = PasswordField("confirmEdit");
    auto* confirmLabel = new QLabel(QStringLiteral("Confirm:"));
    confirmLabel->setBuddy(confirm_);
    layout->addWidget(confirmLabel, row, 0);
    layout->addWidget(confirm_, row++, 1);
  }
  if (request.takes_key_file) {
    key_file_ = new QLineEdit;
    key_file_->setObjectName(QStringLiteral("keyFileEdit"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    browse->setObjectName(QStringLiteral("browseButton"));
    connect(browse, &QPushButton::clicked, this, &FileKeyDialog::BrowseKeyFile);
    auto* keyFileRow = new QHBoxLayout;
    keyFileRow->addWidget(key_file_);
    keyFileRow->addWidget(browse);
    auto* keyFileLabel = new QLabel(QStringLiteral("Key file:"));
    keyFileLabel->setBuddy(key_file_);
    layout->addWidget(keyFileLabel, row, 0);
    layout->addLayout(keyFileRow, row++, 1);
  }
  problem_->setObjectName(QStringLiteral("problemLabel"));
  problem_->setWordWrap(true);
  problem_->setText(AsSentence(request.problem.c_str()));
  problem_->setVisible(!request.problem.empty());
  layout->addWidget(problem_, row++, 0, 1, 2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  layout->addWidget(buttons, row, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &FileKeyDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  password_->setFocus();
}

FileKeyDialog::~FileKeyDialog() {
  password_->clear();
  if (confirm_ != nullptr) confirm_->clear();
}

void FileKeyDialog::accept() {
  if (new_key_) {
    QByteArray password = BytesFromText(password_->text());
    QByteArray confirmation = BytesFromText(confirm_->text());
    const bool with_key_file = key_file_ != nullptr && !key_file_->text().isEmpty();
    const char* refusal = CheckNewFilePassword(password.constData(), confirmation.constData(), with_key_file);
    WipeBytes(password);
    WipeBytes(confirmation);
    if (refusal != nullptr) {
      problem_->setText(AsSentence(refusal));
      problem_->setVisible(true);
      return;
    }
  }
  QDialog::accept();
}

void FileKeyDialog::Answer(FileKeyAnswer* answer) const {
  QByteArray password = BytesFromText(password_->text());
  answer->password = std::string_view(password.constData(), static_cast<size_t>(password.size()));
  WipeBytes(password);
  if (key_file_ != nullptr) answer->key_file_path = QFile::encodeName(key_file_->text()).toStdString();
}

void FileKeyDialog::BrowseKeyFile() {
  const QString start = key_file_->text().isEmpty() ? InterchangeStartFolder() : key_file_->text();
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Key File"), start);
  if (!path.isEmpty()) key_file_->setText(path);
}

#include "app/gui/entry_dialog.h"

#include <string.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>

#include "app/gui/clipboard_service.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/generator_dialog.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_text.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/entry.h"
#include "safe/entry_field_rules.h"
#include "ui_entry_dialog.h"

namespace {

constexpr char kAddCaption[] = "Add a new account and password to the safe";
constexpr char kEditCaption[] = "Edit this account and password in your safe";

// A field left as shown keeps its stored bytes, also when they are not
// UTF-8 and so would come back in another form.
QByteArray FieldBytes(const QLineEdit& edit, const SecretText& stored) {
  const QString text = edit.text();
  return text == TextFromBytes(stored.c_str()) ? QByteArray(stored.c_str(), static_cast<qsizetype>(stored.size()))
                                               : BytesFromText(text);
}

std::string_view ViewOf(const QByteArray& bytes) {
  return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The designed titles are long sentences: the title bar (a bold font in many
// themes, the window's buttons and margins beside it) shows them whole.
int TitleBarWidth(const QWidget& dialog) {
  constexpr int kTitleBarButtons = 160;
  QFont bold = dialog.font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) * 11 / 10 + kTitleBarButtons;
}

}  // namespace

EntryDialog::EntryDialog(bool addMode, EntryFieldBuffers& fields, QWidget* parent)
    : QDialog(parent), fields_(fields), ui_(std::make_unique<Ui::EntryDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(QString::fromLatin1(addMode ? kAddCaption : kEditCaption));
  setMinimumWidth(std::max(minimumWidth(), TitleBarWidth(*this)));
  // A strong safe takes longer fields than the legacy 259 bytes the form
  // was laid out for.
  if (fields_.format == SafeFormat::kStrong) {
    for (QLineEdit* edit : {ui_->descriptionEdit, ui_->userNameEdit, ui_->passwordEdit}) {
      edit->setMaxLength(static_cast<int>(kMaxEntryTextBytes));
    }
  }
  ui_->descriptionEdit->setText(TextFromBytes(fields_.description.c_str()));
  ui_->userNameEdit->setText(TextFromBytes(fields_.userName.c_str()));
  ui_->passwordEdit->setText(TextFromBytes(fields_.password.c_str()));
  connect(ui_->okButton, &QPushButton::clicked, this, &EntryDialog::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &EntryDialog::reject);
  connect(ui_->generateButton, &QPushButton::clicked, this, &EntryDialog::GeneratePassword);
  ClipboardService::MarkSecretField(ui_->passwordEdit);
}

void EntryDialog::GeneratePassword() {
  GeneratorDialog generator(true, this);
  if (generator.exec() != QDialog::Accepted) return;
  QString password = generator.Password();
  ui_->passwordEdit->setText(password);
  WipeText(password);
}

EntryDialog::~EntryDialog() { ui_->passwordEdit->clear(); }

void EntryDialog::accept() {
  const QByteArray description = FieldBytes(*ui_->descriptionEdit, fields_.description);
  const QByteArray userName = FieldBytes(*ui_->userNameEdit, fields_.userName);
  QByteArray password = FieldBytes(*ui_->passwordEdit, fields_.password);
  const char* refusal = CheckDesignedFields(fields_.format, ViewOf(description), ViewOf(userName), ViewOf(password));
  if (refusal != nullptr) {
    WipeBytes(password);
    ShowQtMessageBox(this, refusal, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  fields_.description = ViewOf(description);
  fields_.userName = ViewOf(userName);
  fields_.password = ViewOf(password);
  WipeBytes(password);
  QDialog::accept();
}

#include "app/gui/entry_dialog.h"

#include <string.h>

#include <algorithm>

#include "app/gui/entry_field_buffers.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_text.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "ui_entry_dialog.h"

namespace {

constexpr char kAddCaption[] = "Add a new account and password to the safe";
constexpr char kEditCaption[] = "Edit this account and password in your safe";

void CopyField(char* buffer, const QByteArray& text) {
  const size_t length = std::min(static_cast<size_t>(text.size()), static_cast<size_t>(kEntryFieldCapacity - 1));
  memcpy(buffer, text.constData(), length);
  buffer[length] = '\0';
}

}  // namespace

EntryDialog::EntryDialog(bool addMode, EntryFieldBuffers& fields, QWidget* parent)
    : QDialog(parent), fields_(fields), ui_(std::make_unique<Ui::EntryDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(QString::fromLatin1(addMode ? kAddCaption : kEditCaption));
  ui_->descriptionEdit->setText(TextFromBytes(fields_.description));
  ui_->userNameEdit->setText(TextFromBytes(fields_.userName));
  ui_->passwordEdit->setText(TextFromBytes(fields_.password));
  connect(ui_->okButton, &QPushButton::clicked, this, &EntryDialog::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &EntryDialog::reject);
}

EntryDialog::~EntryDialog() { ui_->passwordEdit->clear(); }

void EntryDialog::accept() {
  const QByteArray description = BytesFromText(ui_->descriptionEdit->text());
  const QByteArray userName = BytesFromText(ui_->userNameEdit->text());
  QByteArray password = BytesFromText(ui_->passwordEdit->text());
  const char* refusal = Quillbox::CheckEntryFields(description.constData(), userName.constData(), password.constData());
  if (refusal != nullptr) {
    WipeBytes(password);
    ShowQtMessageBox(this, refusal, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  CopyField(fields_.description, description);
  CopyField(fields_.userName, userName);
  CopyField(fields_.password, password);
  WipeBytes(password);
  QDialog::accept();
}

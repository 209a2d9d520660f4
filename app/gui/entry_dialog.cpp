#include "app/gui/entry_dialog.h"

#include <string.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>
#include <vector>

#include "app/gui/clipboard_service.h"
#include "app/gui/entry_details_panel.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/generator_dialog.h"
#include "ui/gui/qt_message_box.h"
#include "ui/gui/qt_secret_text.h"
#include "ui/gui/qt_text.h"
#include "ssh_agent/gui/ssh_key_dialog.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/entry.h"
#include "safe/entry_field_rules.h"
#include "ui_entry_dialog.h"

namespace {

constexpr char kAddCaption[] = "Add a new account and password to the safe";
constexpr char kEditCaption[] = "Edit this account and password in your safe";

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
  const Entry& entry = fields_.entry;
  ui_->descriptionEdit->setText(TextFromBytes(entry.title.view()));
  ui_->userNameEdit->setText(TextFromBytes(entry.userName.view()));
  QString password = TextFromBytes(entry.password.view());
  ui_->passwordEdit->setText(password);
  WipeText(password);
  ui_->detailsPanel->Load(entry);
  // Fields keep references as written; the note says what they stand for.
  ui_->referenceNote->setTextFormat(Qt::PlainText);
  ui_->referenceNote->setText(TextFromBytes(fields_.referenceNote));
  ui_->referenceNote->setVisible(!fields_.referenceNote.empty());
  ui_->detailsPanel->SetLegacy(fields_.format == SafeFormat::kLegacy);
  SetTabOrder();
  connect(ui_->okButton, &QPushButton::clicked, this, &EntryDialog::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &EntryDialog::reject);
  connect(ui_->generateButton, &QPushButton::clicked, this, &EntryDialog::GeneratePassword);
  // A legacy safe holds no custom fields, so no key.
  ui_->sshKeyButton->setEnabled(fields_.format == SafeFormat::kStrong);
  connect(ui_->sshKeyButton, &QPushButton::clicked, this, &EntryDialog::EditSshKey);
  connect(ui_->detailsPanel, &EntryDetailsPanel::restorePassword, ui_->passwordEdit, &QLineEdit::setText);
  ClipboardService::MarkSecretField(ui_->passwordEdit);
}

// The designed fields and Generate, then the panel, then OK and Cancel.
void EntryDialog::SetTabOrder() {
  std::vector<QWidget*> order = {ui_->descriptionEdit, ui_->userNameEdit, ui_->passwordEdit, ui_->generateButton};
  const std::vector<QWidget*> panel = ui_->detailsPanel->Controls();
  order.insert(order.end(), panel.begin(), panel.end());
  order.push_back(ui_->sshKeyButton);
  order.push_back(ui_->okButton);
  order.push_back(ui_->cancelButton);
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void EntryDialog::GeneratePassword() {
  GeneratorDialog generator(true, this);
  if (generator.exec() != QDialog::Accepted) return;
  QString password = generator.Password();
  ui_->passwordEdit->setText(password);
  WipeText(password);
}

void EntryDialog::EditSshKey() {
  // The key's passphrase is the password as typed now.
  Entry current = fields_.entry;
  current.title = KeptOrEditedBytes(ui_->descriptionEdit->text(), fields_.entry.title);
  current.password = KeptOrEditedBytes(ui_->passwordEdit->text(), fields_.entry.password);
  if (const char* refusal = ui_->detailsPanel->Store(current)) {
    ShowQtMessageBox(this, refusal, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  SshKeyDialog dialog(current, this);
  if (dialog.exec() == QDialog::Accepted) ui_->detailsPanel->Load(dialog.Result());
}

EntryDialog::~EntryDialog() { ui_->passwordEdit->clear(); }

void EntryDialog::accept() {
  Entry edited = fields_.entry;
  edited.title = KeptOrEditedBytes(ui_->descriptionEdit->text(), fields_.entry.title);
  edited.userName = KeptOrEditedBytes(ui_->userNameEdit->text(), fields_.entry.userName);
  edited.password = KeptOrEditedBytes(ui_->passwordEdit->text(), fields_.entry.password);
  const char* refusal =
      CheckDesignedFields(fields_.format, edited.title.view(), edited.userName.view(), edited.password.view());
  if (refusal == nullptr) refusal = ui_->detailsPanel->Store(edited);
  if (refusal != nullptr) {
    ShowQtMessageBox(this, refusal, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  fields_.entry = std::move(edited);
  QDialog::accept();
}

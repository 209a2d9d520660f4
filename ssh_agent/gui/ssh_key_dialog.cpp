#include "ssh_agent/gui/ssh_key_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/quillbox_messages.h"
#include "ssh_agent/entry_ssh_key.h"
#include "ssh_agent/ssh_fingerprint.h"
#include "ui/gui/qt_message_box.h"
#include "ui/gui/qt_text.h"
#include "ui/message_box_view.h"

namespace {

constexpr char kCaption[] = "SSH Key";
constexpr char kNoKey[] = "(none)";
constexpr char kUnreadableFile[] = "The key file cannot be read.";
constexpr char kTooLargeFile[] = "The file is too large to be an SSH private key.";

}  // namespace

SshKeyDialog::SshKeyDialog(const Entry& entry, QWidget* parent)
    : QDialog(parent),
      entry_(entry),
      fingerprint_(new QLabel),
      comment_(new QLabel),
      remove_(new QPushButton(QStringLiteral("&Remove Key"))),
      addAtLogIn_(new QCheckBox(QStringLiteral("Add to the agent at log-in"))),
      removeAfter_(new QSpinBox),
      askBeforeUse_(new QCheckBox(QStringLiteral("Ask before each use"))) {
  setWindowTitle(QString::fromLatin1(kCaption));
  fingerprint_->setObjectName(QStringLiteral("sshKeyFingerprint"));
  fingerprint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  comment_->setObjectName(QStringLiteral("sshKeyComment"));
  removeAfter_->setRange(0, static_cast<int>(kMaxSshKeyLifetimeSeconds));
  removeAfter_->setSpecialValueText(QStringLiteral("0 (at lock)"));
  removeAfter_->setAccessibleName(QStringLiteral("Remove after N seconds"));
  auto* load = new QPushButton(QStringLiteral("&Load from File..."));
  auto* keyButtons = new QHBoxLayout;
  keyButtons->addWidget(load);
  keyButtons->addWidget(remove_);
  keyButtons->addStretch();
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Fingerprint:"), fingerprint_);
  form->addRow(QStringLiteral("Comment:"), comment_);
  form->addRow(keyButtons);
  form->addRow(addAtLogIn_);
  form->addRow(QStringLiteral("Remove after N seconds:"), removeAfter_);
  form->addRow(askBeforeUse_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  connect(load, &QPushButton::clicked, this, &SshKeyDialog::ChooseKeyFile);
  connect(remove_, &QPushButton::clicked, this, &SshKeyDialog::RemoveKey);
  connect(buttons, &QDialogButtonBox::accepted, this, &SshKeyDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SshKeyDialog::reject);
  EntrySshOptions options = ReadSshOptions(entry_);
  addAtLogIn_->setChecked(options.addAtLogIn);
  removeAfter_->setValue(static_cast<int>(options.removeAfterSeconds));
  askBeforeUse_->setChecked(options.askBeforeUse);
  ShowKey();
}

void SshKeyDialog::ShowKey() {
  bool hasKey = HasSshKey(entry_);
  SshPrivateKey key;
  SshKeyFault fault = hasKey ? ReadEntrySshKey(entry_, &key) : SshKeyFault::kNotAKey;
  if (fault == SshKeyFault::kNone) {
    fingerprint_->setText(QString::fromStdString(SshFingerprint(key.publicBlob)));
    comment_->setText(TextFromBytes(key.comment));
  } else {
    // A key the entry's password no longer opens is still shown as there.
    fingerprint_->setText(hasKey ? TextFromBytes(SshKeyFaultMessage(entry_, fault)) : QString::fromLatin1(kNoKey));
    comment_->clear();
  }
  remove_->setEnabled(hasKey);
  for (QWidget* option : std::initializer_list<QWidget*>{addAtLogIn_, removeAfter_, askBeforeUse_}) {
    option->setEnabled(hasKey);
  }
}

void SshKeyDialog::ChooseKeyFile() {
  QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load SSH Private Key"));
  if (!path.isEmpty()) LoadKeyFile(path);
}

bool SshKeyDialog::LoadKeyFile(const QString& path) {
  SecretText text;
  KeyFileRead read = ReadSshKeyFile(BytesFromText(path).constData(), &text);
  if (read != KeyFileRead::kRead) {
    const char* why = read == KeyFileRead::kTooLarge ? kTooLargeFile : kUnreadableFile;
    ShowQtMessageBox(this, why, kErrorCaption, kMbOk | kMbIconWarning);
    return false;
  }
  Entry loaded = entry_;
  SshPrivateKey key;
  SshKeyFault fault = PutSshKey(loaded, text.view(), &key);
  if (fault != SshKeyFault::kNone) {
    ShowQtMessageBox(this, SshKeyFaultMessage(entry_, fault).c_str(), kErrorCaption, kMbOk | kMbIconWarning);
    return false;
  }
  bool first = !HasSshKey(entry_);
  entry_ = std::move(loaded);
  if (first) addAtLogIn_->setChecked(true);
  ShowKey();
  return true;
}

void SshKeyDialog::RemoveKey() {
  for (const char* name : {kSshKeyField, kSshAddAtLogInField, kSshRemoveAfterField, kSshAskBeforeUseField}) {
    entry_.RemoveField(name);
  }
  ShowKey();
}

void SshKeyDialog::accept() {
  if (HasSshKey(entry_)) {
    WriteSshOptions(
        entry_, {addAtLogIn_->isChecked(), static_cast<uint32_t>(removeAfter_->value()), askBeforeUse_->isChecked()});
  }
  QDialog::accept();
}

#pragma once

#include <QDialog>

#include "safe/entry.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "SSH Key" of one entry: loads a private key from a file (one with a
// passphrase must open with the entry's password), shows its fingerprint
// and comment, and sets how it goes to the SSH agent. It edits a copy of
// the entry; Result() holds the change once the dialog is accepted.
class SshKeyDialog : public QDialog {
  Q_OBJECT

 public:
  SshKeyDialog(const Entry& entry, QWidget* parent);

  const Entry& Result() const { return entry_; }
  void accept() override;
  // Loads the key in path into the copy; false, with the message shown,
  // when it cannot be read or does not open.
  bool LoadKeyFile(const QString& path);

 private:
  void ChooseKeyFile();
  void RemoveKey();
  void ShowKey();

  Entry entry_;
  QLabel* fingerprint_;
  QLabel* comment_;
  QPushButton* remove_;
  QCheckBox* addAtLogIn_;
  QSpinBox* removeAfter_;
  QCheckBox* askBeforeUse_;
};

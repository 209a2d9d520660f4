#pragma once

#include <QDialog>

#include "app/quillbox_view.h"

class QLabel;
class QLineEdit;

// The password (and optional key file) of a file another program protects,
// laid out as the other password dialogs: the file's name shown, the
// fields, OK and Cancel. For an export the password is asked twice and
// checked before the dialog closes; the last key's problem is shown above.
// The typed passwords are wiped when the dialog goes.
class FileKeyDialog : public QDialog {
  Q_OBJECT

 public:
  FileKeyDialog(const FileKeyRequest& request, QWidget* parent);
  ~FileKeyDialog() override;

  void accept() override;
  // The typed password and key file's path.
  void Answer(FileKeyAnswer* answer) const;

 private:
  void BrowseKeyFile();

  bool new_key_;
  QLineEdit* password_;
  QLineEdit* confirm_ = nullptr;
  QLineEdit* key_file_ = nullptr;
  QLabel* problem_;
};

#pragma once

#include <QDialog>

#include "crypto/password_generator.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Generate Password": length, character classes and look-alikes; the
// password is made afresh whenever they change and shown with its strength.
// "Copy" goes through the clipboard service; "Use" (offered only when the
// entry dialog asks) ends the dialog with the password for its field.
class GeneratorDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Generate Password";

  GeneratorDialog(bool offerUse, QWidget* parent);
  ~GeneratorDialog() override;

  // The password shown; for "Use", read it after exec() returned Accepted.
  QString Password() const;

 private:
  void Generate();
  void Copy();
  PasswordOptions Options() const;

  QSpinBox* length_;
  QCheckBox* lower_;
  QCheckBox* upper_;
  QCheckBox* digits_;
  QCheckBox* symbols_;
  QCheckBox* avoidLookAlikes_;
  QLineEdit* password_;
  QLabel* strength_;
  QPushButton* generate_;
  QPushButton* copy_;
  QPushButton* use_;
};

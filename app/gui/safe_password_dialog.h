#pragma once

#include <QDialog>

class QLineEdit;

// "Enter Password" for one named user's safe, laid out as the log-in dialog:
// the name shown, a password field and OK and Cancel. The typed password
// is wiped when the dialog goes.
class SafePasswordDialog : public QDialog {
  Q_OBJECT

 public:
  SafePasswordDialog(const QString& userName, const QString& prompt, QWidget* parent);
  ~SafePasswordDialog() override;

  // The typed password as the safe stores it; the caller wipes it.
  QByteArray Password() const;

 private:
  QLineEdit* password_;
};

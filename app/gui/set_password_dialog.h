#pragma once

#include <QDialog>
#include <memory>

class Quillbox;
namespace Ui {
class SetPasswordDialog;
}

// "Set New Password": re-encrypts a safe under a new password after the old
// one is proven. With a safe open the name is that user's and cannot change.
class SetPasswordDialog : public QDialog {
  Q_OBJECT

 public:
  SetPasswordDialog(Quillbox& app, QWidget* parent);
  ~SetPasswordDialog() override;

  void accept() override;

 private:
  Quillbox& app_;
  std::unique_ptr<Ui::SetPasswordDialog> ui_;
};

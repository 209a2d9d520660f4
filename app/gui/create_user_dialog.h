#pragma once

#include <QDialog>
#include <memory>

class Quillbox;
namespace Ui {
class CreateUserDialog;
}

// "Create new user": a name and a password typed twice. OK closes the dialog
// once the passwords are acceptable, whether or not a user was created.
class CreateUserDialog : public QDialog {
  Q_OBJECT

 public:
  CreateUserDialog(Quillbox& app, QWidget* parent);
  ~CreateUserDialog() override;

  void accept() override;

 private:
  Quillbox& app_;
  std::unique_ptr<Ui::CreateUserDialog> ui_;
};

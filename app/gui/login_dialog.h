#pragma once

#include <QDialog>
#include <memory>

class Quillbox;
namespace Ui {
class LoginDialog;
}

// "Enter Password": opens a user's safe. "I am a new user" runs the
// create-user dialog over it; its OK closes this dialog with OK as well.
class LoginDialog : public QDialog {
  Q_OBJECT

 public:
  LoginDialog(Quillbox& app, QWidget* parent);
  ~LoginDialog() override;

  void accept() override;

 private:
  void CreateNewUser();

  Quillbox& app_;
  std::unique_ptr<Ui::LoginDialog> ui_;
};

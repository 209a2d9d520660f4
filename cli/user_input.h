#pragma once

#include <string>

#include "cli/typed_secret.h"

// Where passwords and answers come from: the controlling terminal (opened as
// /dev/tty, so standard input and output stay free for data), or, with
// --password-stdin, one password per line of standard input.
class UserInput {
 public:
  explicit UserInput(bool passwords_from_stdin);
  ~UserInput();
  UserInput(const UserInput&) = delete;
  UserInput& operator=(const UserInput&) = delete;

  // Reads one password. False with a one-line reason in error.
  bool ReadPassword(const char* prompt, TypedSecret* password, std::string* error);
  // A password being set: asked twice on a terminal (they must match), read
  // once from standard input; an empty one is refused.
  bool ReadNewPassword(const char* prompt, TypedSecret* password, std::string* error);

  // Whether a Yes/No question can be put to someone: standard input is a
  // terminal and so is /dev/tty.
  bool CanAsk();
  // Asks on the terminal; true only for an answer of y or yes.
  bool AskYesNo(const char* question);

 private:
  int Terminal();

  bool passwords_from_stdin_;
  int terminal_fd_ = -1;
  bool terminal_tried_ = false;
};

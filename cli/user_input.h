#pragma once

#include <string>

#include "cli/typed_secret.h"

// Where passwords and answers come from: the controlling terminal (opened as
// /dev/tty, so standard input and output stay free for data), or, with
// --password-stdin, one password per line of standard input. Other secrets
// (a one-time-code secret, notes, a field's value) come from standard input
// after the passwords.
class UserInput {
 public:
  explicit UserInput(bool passwords_from_stdin);
  ~UserInput();
  UserInput(const UserInput&) = delete;
  UserInput& operator=(const UserInput&) = delete;

  // Reads one password. False with a one-line reason in error; a password
  // longer than the secret holds is told as too_long_message, by default
  // the dialogs' message.
  bool ReadPassword(const char* prompt, TypedSecret* password, std::string* error,
                    const char* too_long_message = nullptr);
  // A password being set: asked twice on a terminal (they must match), read
  // once from standard input; an empty one is refused.
  bool ReadNewPassword(const char* prompt, TypedSecret* password, std::string* error);
  // The same for a file another program opens (CheckNewFilePassword's rules).
  bool ReadNewFilePassword(const char* prompt, const char* confirm_prompt, bool with_key_file, TypedSecret* password,
                           std::string* error);

  // One line of standard input, asked without echo when it is a terminal.
  // what names the secret in messages ("the one-time-code secret").
  bool ReadStdinLine(const char* prompt, const char* what, TypedSecret* line, const char* too_long_message,
                     std::string* error);
  // The rest of standard input, its final line break dropped. On a terminal
  // a hint goes first and Ctrl-D ends the text; when hidden, one line is
  // asked there with prompt and without echo instead. what as above.
  bool ReadStdinRest(const char* prompt, const char* what, bool hidden, TypedSecret* text, const char* too_long_message,
                     std::string* error);

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

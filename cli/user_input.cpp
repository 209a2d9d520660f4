#include "cli/user_input.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include "app/new_password.h"
#include "app/quillbox_messages.h"
#include "cli/line_reader.h"

namespace {

constexpr char kConfirmPrompt[] = "Confirm Password: ";

bool ReportLineResult(LineResult result, bool from_stdin, const char* too_long_message, std::string* error) {
  switch (result) {
    case LineResult::kOk:
      return true;
    case LineResult::kTooLong:
      *error = too_long_message != nullptr ? too_long_message : kPasswordTooLongMessage;
      return false;
    case LineResult::kEndOfInput:
      *error = from_stdin ? "standard input ended before a password was read" : "no password was typed";
      return false;
    case LineResult::kError:
      break;
  }
  *error = from_stdin ? "the password could not be read from standard input"
                      : "the password could not be read from the terminal";
  return false;
}

// A secret other than a password; what names it ("the notes").
bool ReportStdinResult(LineResult result, const char* what, const char* too_long_message, std::string* error) {
  if (result == LineResult::kOk) return true;
  if (result == LineResult::kTooLong) {
    *error = too_long_message;
  } else if (result == LineResult::kEndOfInput) {
    *error = std::string("standard input ended before ") + what + " was read";
  } else {
    *error = std::string(what) + " could not be read from standard input";
  }
  return false;
}

}  // namespace

UserInput::UserInput(bool passwords_from_stdin) : passwords_from_stdin_(passwords_from_stdin) {}

UserInput::~UserInput() {
  if (terminal_fd_ >= 0) close(terminal_fd_);
}

int UserInput::Terminal() {
  if (!terminal_tried_) {
    terminal_tried_ = true;
    terminal_fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  return terminal_fd_;
}

bool UserInput::ReadPassword(const char* prompt, TypedSecret* password, std::string* error,
                             const char* too_long_message) {
  if (passwords_from_stdin_) {
    return ReportLineResult(ReadSecretLine(STDIN_FILENO, password), true, too_long_message, error);
  }
  int terminal = Terminal();
  if (terminal < 0) {
    *error = "there is no terminal to ask for the password on; use --password-stdin";
    return false;
  }
  return ReportLineResult(ReadHiddenLine(terminal, prompt, password), false, too_long_message, error);
}

bool UserInput::ReadStdinLine(const char* prompt, const char* what, TypedSecret* line, const char* too_long_message,
                              std::string* error) {
  LineResult result =
      isatty(STDIN_FILENO) ? ReadHiddenLine(STDIN_FILENO, prompt, line) : ReadSecretLine(STDIN_FILENO, line);
  return ReportStdinResult(result, what, too_long_message, error);
}

bool UserInput::ReadStdinRest(const char* prompt, const char* what, bool hidden, TypedSecret* text,
                              const char* too_long_message, std::string* error) {
  bool terminal = isatty(STDIN_FILENO);
  if (terminal && hidden) return ReadStdinLine(prompt, what, text, too_long_message, error);
  int tty = terminal ? Terminal() : -1;
  if (tty >= 0) {
    std::string hint = std::string("Type ") + what + ", then Ctrl-D on a line of its own:\n";
    if (write(tty, hint.data(), hint.size()) < 0) return ReportStdinResult(LineResult::kError, what, nullptr, error);
  }
  return ReportStdinResult(ReadSecretRest(STDIN_FILENO, text), what, too_long_message, error);
}

bool UserInput::ReadNewPassword(const char* prompt, TypedSecret* password, std::string* error) {
  if (!ReadPassword(prompt, password, error)) return false;
  // Checked as its own confirmation first, so an empty one is not asked twice.
  const char* refusal = CheckNewPassword(password->c_str(), password->c_str());
  TypedSecret confirmation;
  if (refusal == nullptr && !passwords_from_stdin_) {
    if (!ReadPassword(kConfirmPrompt, &confirmation, error)) return false;
    refusal = CheckNewPassword(password->c_str(), confirmation.c_str());
  }
  if (refusal == nullptr) return true;
  password->Clear();
  *error = refusal;
  return false;
}

bool UserInput::ReadNewFilePassword(const char* prompt, const char* confirm_prompt, bool with_key_file,
                                    TypedSecret* password, std::string* error) {
  if (!ReadPassword(prompt, password, error)) return false;
  // An empty password is not asked twice, nor is one read from standard input.
  const char* refusal = CheckNewFilePassword(password->c_str(), password->c_str(), with_key_file);
  TypedSecret confirmation;
  if (refusal == nullptr && !password->empty() && !passwords_from_stdin_) {
    if (!ReadPassword(confirm_prompt, &confirmation, error)) return false;
    refusal = CheckNewFilePassword(password->c_str(), confirmation.c_str(), with_key_file);
  }
  if (refusal == nullptr) return true;
  password->Clear();
  *error = refusal;
  return false;
}

bool UserInput::CanAsk() { return isatty(STDIN_FILENO) && Terminal() >= 0; }

bool UserInput::AskYesNo(const char* question) {
  int terminal = Terminal();
  if (terminal < 0) return false;
  std::string prompt = std::string(question) + " [y/N] ";
  if (write(terminal, prompt.data(), prompt.size()) < 0) return false;
  std::string answer;
  char c;
  while (read(terminal, &c, 1) == 1 && c != '\n') answer.push_back(c);
  return strcasecmp(answer.c_str(), "y") == 0 || strcasecmp(answer.c_str(), "yes") == 0;
}

#pragma once

#include "safe/strong_format.h"

#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/quillbox.h"

class MainWindow;
class QDialog;
class QFileDialog;
class QString;

// One test's world: safes, both hives and the private temporary folder in a
// fresh temporary folder, an application object and its main window, and a
// recorder that answers every message box.
class GuiTestWorld {
 public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned style;
  };

  GuiTestWorld();
  ~GuiTestWorld();

  Quillbox& App() { return *app_; }
  MainWindow& Window() { return *window_; }
  QString Folder() const { return dir_.path(); }

  // Creates a user whose safe holds the given entries (description, user
  // name, password) and leaves the safe open.
  void CreateUserWithEntries(const char* name, const char* password,
                             const std::vector<std::vector<std::string>>& entries,
                             SafeFormat format = SafeFormat::kStrong);

  // Message boxes shown so far; each is answered from Answers() first,
  // then with Yes for a Yes/No box and OK otherwise.
  const std::vector<Message>& Messages() const { return messages_; }
  std::deque<int>& Answers() { return answers_; }
  void ClearMessages() { messages_.clear(); }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<Quillbox> app_;
  std::unique_ptr<MainWindow> window_;
  std::vector<Message> messages_;
  std::deque<int> answers_;
};

// Runs action on the next modal dialog as soon as it is shown (use it before
// the call that opens the dialog). The wait ends with context at the latest.
void OnNextModalDialog(QObject& context, std::function<void(QDialog& dialog)> action);

// Accepts a file dialog with name typed, again a moment later while it is
// still shown: a file dialog still reading its folder can clear the typed
// name and refuse the accept, so the name is typed again first.
void KeepAccepting(QFileDialog& dialog, const QString& name);

// The texts of a list view column, top row first.
std::vector<std::string> ColumnTexts(MainWindow& window, int column);

#pragma once

struct Entry;
class Quillbox;
class QWidget;

// What auto-type needs of the main window, which implements it.
class AutoTypeWindow {
 public:
  virtual ~AutoTypeWindow() = default;

  virtual QWidget* Widget() = 0;
  virtual Quillbox& App() = 0;
  // The entry the copy commands take; null when there is none.
  virtual const Entry* CopyEntry() = 0;
  virtual void MinimizeIfShown() = 0;
  virtual void RestoreAndRaise() = 0;
  virtual void ShowLogInDialog() = 0;
  virtual void ShowStatus(const char* text) = 0;
};

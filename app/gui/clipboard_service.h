#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>

#include "app/clipboard_keeper.h"
#include "app/gui/qt_clipboard.h"

// The one way user names and passwords reach the clipboard in the window:
// the copy commands, the context menu and the generator all come here. It
// owns the clipboard rules (ClipboardKeeper) and drives them from a
// one-second tick; the main window shows its status line.
class ClipboardService : public QObject {
  Q_OBJECT

 public:
  ClipboardService(int clearSeconds, QObject* parent = nullptr);
  // A copy already made keeps the time it was given.
  void SetClearSeconds(int seconds) { keeper_.SetClearSeconds(seconds); }
  // Exit clears the clipboard like a lock does.
  ~ClipboardService() override;

  // The service of the running window; null before it exists.
  static ClipboardService* Instance();

  // Marks a field that shows a password in clear: text selected there is
  // taken back from the primary selection at once, as X11 line edits put
  // every selection there for middle-click pasting.
  static void MarkSecretField(QWidget* field);

  bool Copy(const char* text, CopiedField what, int validSeconds = 0);
  // At log-out, lock and exit.
  void ClearNow();

 signals:
  // Text for the status bar; empty removes it. timeoutMs 0 keeps it.
  void statusChanged(const QString& text, int timeoutMs);

 private:
  void OnSelectionChanged();
  void Tick();
  void Report(ClipboardKeeper::Outcome outcome);

  SystemClock clock_;
  QtClipboard clipboard_;
  ClipboardKeeper keeper_;
  QTimer ticker_;
};

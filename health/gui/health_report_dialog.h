#pragma once

#include <QDialog>

struct EntryId;
class QLabel;
class QTableWidget;
class Quillbox;
class WindowHealthReport;

// Passwords > "Password &Health...": every entry's strength, reuse, age and
// breached count in a table that sorts by any column and starts worst
// first. A double-click opens the entry's dialog; the table follows edits.
class HealthReportDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens the entry of that id in its dialog over owner; true when it changed.
  using EntryDialogRunner = bool (*)(Quillbox& app, QWidget* owner, const EntryId* id);

  HealthReportDialog(Quillbox& app, WindowHealthReport& reports, EntryDialogRunner runEntryDialog, QWidget* parent);

  // Remakes the table from the open safe and the remembered breach list.
  void Refresh();

 private:
  void OpenEntryOfRow(int row);
  void CheckAgainstBreachList();

  Quillbox& app_;
  WindowHealthReport& reports_;
  EntryDialogRunner runEntryDialog_;
  QLabel* summary_;
  QLabel* breachState_;
  QTableWidget* table_;
};

// "Check Against a Breach List...": asks for the file, starting at the one
// remembered, and remembers the choice. False when cancelled.
bool ChooseBreachList(Quillbox& app, QWidget* owner);
// The remembered breach list, or empty.
std::string RememberedBreachList(Quillbox& app);

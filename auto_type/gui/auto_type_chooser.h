#pragma once

#include <QDialog>

#include <vector>

#include "safe/entry.h"

class QLineEdit;
class QListWidget;

// The small chooser the global shortcut opens when the active window's
// title fits several entries, or none: the filter field narrows the list,
// Enter takes the chosen entry.
class AutoTypeChooser : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Auto-Type";

  // Offered first: the entries that fit the window, all when none do.
  AutoTypeChooser(const std::vector<Entry>& entries, std::vector<size_t> offered, QWidget* parent = nullptr);
  // The entry chosen, as it was when offered; null when none.
  const Entry* ChosenEntry() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Fill(const QString& filterText);

  // A copy: the safe may change on disk while the chooser is open.
  std::vector<Entry> entries_;
  std::vector<size_t> offered_;
  QLineEdit* filter_;
  QListWidget* list_;
};

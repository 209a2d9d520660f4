#pragma once

#include <QLineEdit>

// "Filter": the find-as-you-type field above the entry list. Escape empties
// it; Down or Enter moves on to the list, so the keyboard never has to
// leave for the mouse. The window's accelerators that a line edit would
// take for itself (Ctrl+E, Ctrl+H, ...) stay the window's.
class FilterField : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr char kName[] = "Filter";

  explicit FilterField(QWidget* parent = nullptr);

 signals:
  void leaveForList();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

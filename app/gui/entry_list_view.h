#pragma once

#include <QTableView>

// The report view of the entries: several rows selectable, full-row
// selection, grid lines, no built-in sorting or editing, and no built-in
// copy of a cell: a copy key asks for the password copy instead, which goes
// through the clipboard service.
class EntryListView : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kInitialColumnWidth = 100;

  explicit EntryListView(QWidget* parent = nullptr);

  // The item delegate keeps the texts of the cell it painted last, which may
  // be a shown password; this makes it let go of them (the list was emptied).
  void ForgetPaintedTexts();

 signals:
  // A double-click on a row (true) or on the empty part below the rows;
  // Enter on a selected row counts as one on the row.
  void entryDoubleClicked(bool onRow);
  void copyKeyPressed();
  // Right click, or the Menu key (then at the current row).
  void contextMenuWanted(const QPoint& globalPos);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
};

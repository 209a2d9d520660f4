#include "app/gui/entry_list_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

EntryListView::EntryListView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setSortingEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  // Fixed, uniform rows keep a list of many thousand entries quick to lay out.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setDefaultSectionSize(kInitialColumnWidth);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(true);
  // The last column takes the room beside the others; the sorted one shows its arrow.
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setSortIndicatorShown(true);
  setAccessibleName(QStringLiteral("Entries"));
}

void EntryListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) {
    emit entryDoubleClicked(indexAt(event->position().toPoint()).isValid());
  }
}

void EntryListView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    event->accept();
    emit copyKeyPressed();
    return;
  }
  // Enter on a selected row edits it, as a double click does.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && selectionModel()->hasSelection()) {
    event->accept();
    emit entryDoubleClicked(true);
    return;
  }
  QTableView::keyPressEvent(event);
}

void EntryListView::contextMenuEvent(QContextMenuEvent* event) {
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Keyboard) {
    const QRect row = visualRect(currentIndex());
    at = viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint());
  }
  event->accept();
  emit contextMenuWanted(at);
}

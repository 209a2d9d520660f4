#include "app/gui/entry_list_view.h"

#include <QStandardItemModel>
#include <QStyledItemDelegate>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// QStyledItemDelegate fills a cache of role data for each cell it paints,
// and the style keeps a copy of the last cell's options (its text included)
// for its layout; both stay until the next cell. Laying out a blank cell of
// a model of its own replaces what the last one left there.
class ForgetfulDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void Forget(const QWidget& view) {
    QStandardItemModel blank(1, 1);
    QStyleOptionViewItem option;
    initStyleOption(&option, blank.index(0, 0));
    view.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &view);
  }
};

}  // namespace

EntryListView::EntryListView(QWidget* parent) : QTableView(parent) {
  setItemDelegate(new ForgetfulDelegate(this));
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

void EntryListView::ForgetPaintedTexts() { static_cast<ForgetfulDelegate*>(itemDelegate())->Forget(*this); }

#pragma once

#include <QAbstractTableModel>
#include <QItemSelection>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/entry_filter.h"

#include "safe/entry.h"
#include "safe/field_reference.h"

// The rows of the entry list view over the application's entry list. A row
// holds only its entry index; the texts are read from the entry when
// shown, so no second copy of the passwords is kept. The password column
// shows "******" except on the rows last passed to RevealRows.
class EntryListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The designed three, then "Web Address", "Tags" and "Modified", which
  // the view hides until the user asks for them.
  static constexpr int kDesignedColumnCount = 3;
  static constexpr int kColumnCount = 6;

  explicit EntryListModel(const std::vector<Entry>& entries, QObject* parent = nullptr);

  // Rebuilds the rows, one per entry that passes the filter, the last entry
  // first and nothing revealed.
  void FillListView();
  // Takes effect at the next FillListView or ApplyFilter.
  void SetFilterText(std::string_view utf8) { filter_.SetText(utf8); }
  // Shows the rows that pass the filter, in the current sort order and with
  // nothing revealed.
  void ApplyFilter();
  const EntryFilter& Filter() const { return filter_; }
  // Stable sort of the rows (CompareEntries); a selection moves with its rows.
  void Sort(int order);
  void RevealRows(const QItemSelection& selection);
  // The entry index of a row; false for a row that does not exist.
  bool GetEntryIndex(int row, int& entryIndex) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  void MoveRows(std::vector<uint32_t> sorted);
  std::vector<uint32_t> FilteredRows() const;

  const std::vector<Entry>& entries_;
  EntryFilter filter_;
  std::vector<uint32_t> ordered_;  // every entry, in display order
  std::vector<uint32_t> rows_;     // entry index of each row shown, in display order
  std::vector<char> revealed_;     // by entry index
  // Cells show what references stand for, looked up among the entries as
  // they are now: built again with the list, or when the entries moved.
  const FieldReferences& References() const;
  mutable FieldReferences references_{{}};
  mutable const Entry* referencesOf_ = nullptr;
  mutable size_t referencesCount_ = 0;
};

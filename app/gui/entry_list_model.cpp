#include "app/gui/entry_list_model.h"

#include <QDateTime>
#include <algorithm>
#include <string_view>
#include <utility>

#include "app/gui/entry_sort.h"
#include "ui/gui/qt_secret_text.h"
#include "ui/gui/qt_text.h"

namespace {

constexpr char kPasswordMask[] = "******";
const char* const kColumnTitles[EntryListModel::kColumnCount] = {"Description", "Username", "Password",
                                                                 "Web Address", "Tags",     "Modified"};
// Local date and time; a legacy safe keeps no times.
QString ModifiedText(int64_t modified) {
  if (modified == 0) return {};
  return QDateTime::fromSecsSinceEpoch(modified).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace

EntryListModel::EntryListModel(const std::vector<Entry>& entries, QObject* parent)
    : QAbstractTableModel(parent), entries_(entries) {}

void EntryListModel::FillListView() {
  beginResetModel();
  const uint32_t count = static_cast<uint32_t>(entries_.size());
  referencesOf_ = nullptr;
  ordered_.clear();
  ordered_.reserve(count);
  revealed_.assign(count, 0);
  // Each row went in at the top, so the newest entry leads until sorted.
  for (uint32_t i = count; i-- > 0;) ordered_.push_back(i);
  rows_ = FilteredRows();
  endResetModel();
}

void EntryListModel::ApplyFilter() {
  beginResetModel();
  revealed_.assign(revealed_.size(), 0);
  rows_ = FilteredRows();
  endResetModel();
}

std::vector<uint32_t> EntryListModel::FilteredRows() const {
  if (filter_.IsEmpty()) return ordered_;
  // The entries are matched in stored order, which walks memory straight
  // through; the display order would jump about it.
  std::vector<char> matches(entries_.size(), 0);
  for (size_t entry = 0; entry < matches.size(); ++entry) matches[entry] = filter_.Matches(entries_[entry]);
  std::vector<uint32_t> shown;
  shown.reserve(ordered_.size());
  for (const uint32_t entry : ordered_) {
    if (entry < matches.size() && matches[entry]) shown.push_back(entry);
  }
  return shown;
}

// Every entry is sorted, shown or not, so that a change of the filter needs
// no sort; a stable sort keeps the same order for the rows shown either way.
void EntryListModel::Sort(int order) {
  const int column = std::clamp(order, 0, kSortOrderCount - 1) / 2;
  if (column > 3) {
    std::stable_sort(ordered_.begin(), ordered_.end(), [this, order](uint32_t a, uint32_t b) {
      return a < entries_.size() && b < entries_.size() && CompareEntriesByColumn(entries_[a], entries_[b], order) < 0;
    });
    MoveRows(FilteredRows());
    return;
  }
  std::vector<std::pair<std::string_view, uint32_t>> keys;
  keys.reserve(ordered_.size());
  for (const uint32_t entry : ordered_) {
    keys.emplace_back(entry < entries_.size() ? DesignedField(entries_[entry], column) : std::string_view(), entry);
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [order](const auto& a, const auto& b) { return CompareEntries(a.first, b.first, order) < 0; });
  ordered_.clear();
  for (const auto& key : keys) {
    ordered_.push_back(key.second);
  }
  MoveRows(FilteredRows());
}

void EntryListModel::MoveRows(std::vector<uint32_t> sorted) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newRowOfEntry(revealed_.size(), -1);
  for (size_t row = 0; row < sorted.size(); ++row) {
    if (sorted[row] < newRowOfEntry.size()) {
      newRowOfEntry[sorted[row]] = static_cast<int>(row);
    }
  }
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before) {
    const uint32_t entry = rows_[static_cast<size_t>(index.row())];
    const int row = entry < newRowOfEntry.size() ? newRowOfEntry[entry] : -1;
    after.push_back(row < 0 ? QModelIndex() : createIndex(row, index.column()));
  }
  rows_ = std::move(sorted);
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EntryListModel::RevealRows(const QItemSelection& selection) {
  std::vector<char> next(revealed_.size(), 0);
  for (const QItemSelectionRange& range : selection) {
    for (int row = range.top(); row <= range.bottom(); ++row) {
      const uint32_t entry = rows_[static_cast<size_t>(row)];
      if (entry < next.size()) {
        next[entry] = 1;
      }
    }
  }
  int first = -1;
  int last = -1;
  for (size_t row = 0; row < rows_.size(); ++row) {
    const uint32_t entry = rows_[row];
    if (entry < next.size() && next[entry] != revealed_[entry]) {
      first = first < 0 ? static_cast<int>(row) : first;
      last = static_cast<int>(row);
    }
  }
  revealed_ = std::move(next);
  if (first >= 0) {
    emit dataChanged(index(first, 2), index(last, 2), {Qt::DisplayRole});
  }
}

bool EntryListModel::GetEntryIndex(int row, int& entryIndex) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
    return false;
  }
  entryIndex = static_cast<int>(rows_[static_cast<size_t>(row)]);
  return true;
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EntryListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || static_cast<size_t>(index.row()) >= rows_.size()) {
    return {};
  }
  const uint32_t entry = rows_[static_cast<size_t>(index.row())];
  if (index.column() == 2 && (entry >= revealed_.size() || !revealed_[entry])) {
    return QString::fromLatin1(kPasswordMask);
  }
  if (entry >= entries_.size()) return QString();
  switch (index.column()) {
    case 4:
      return TagsText(entries_[entry].tags);
    case 5:
      return ModifiedText(entries_[entry].modified);
    default: {
      const std::string_view written = DesignedField(entries_[entry], index.column());
      if (!HasFieldReference(written)) return TextFromBytes(written);
      return TextFromBytes(References().Resolve(written).view());
    }
  }
}

const FieldReferences& EntryListModel::References() const {
  if (referencesOf_ != entries_.data() || referencesCount_ != entries_.size()) {
    references_ = FieldReferences(entries_);
    referencesOf_ = entries_.data();
    referencesCount_ = entries_.size();
  }
  return references_;
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return QString::fromLatin1(kColumnTitles[section]);
}

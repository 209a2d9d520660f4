#include "app/gui/custom_fields_table.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "app/gui/clipboard_service.h"
#include "ui/gui/qt_secret_text.h"
#include "ui/gui/qt_text.h"
#include "interchange/import_plan.h"

namespace {

enum Column { kNameColumn, kValueColumn, kProtectedColumn, kColumnCount };
constexpr int kValueRole = Qt::UserRole;
// The index of the loaded field a row shows; -1 for a row added here.
constexpr int kLoadedIndexRole = Qt::UserRole + 1;
constexpr int kReadOnlyRole = Qt::UserRole + 2;
constexpr int kMaskLength = 8;
constexpr char kReadOnlyTip[] = "Quillbox keeps this field for its own use; it cannot be changed here.";

// Fields Quillbox writes for itself: shown as they are, never edited.
bool IsProgramField(const SecretText& name) { return name == std::string_view(kSourceIdField); }

// Only selectable: no editor, no removal, no Protected check.
void MakeReadOnly(QTableWidgetItem& item) {
  item.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item.setToolTip(QString::fromLatin1(kReadOnlyTip));
}

// Takes the clear text out of a value cell so that the caller holds its only
// copy, which WipeText can then overwrite.
QString TakeValue(QTableWidgetItem& item) {
  QVariant held = item.data(kValueRole);
  item.setData(kValueRole, QVariant());
  QString value = held.toString();
  held.clear();
  return value;
}

// Edits a value masked while the table shows it masked.
class ValueDelegate : public QStyledItemDelegate {
 public:
  explicit ValueDelegate(CustomFieldsTable& table) : QStyledItemDelegate(&table), table_(table) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line != nullptr && index.column() == kValueColumn) {
      line->setMaxLength(static_cast<int>(kMaxEntryTextBytes));
      if (table_.IsMasked(index.row())) line->setEchoMode(QLineEdit::Password);
      ClipboardService::MarkSecretField(line);
    }
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr || index.column() != kValueColumn) return QStyledItemDelegate::setEditorData(editor, index);
    QString value = CustomFieldsTable::ValueOf(*table_.item(index.row(), kValueColumn));
    line->setText(value);
    WipeText(value);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr || index.column() != kValueColumn)
      return QStyledItemDelegate::setModelData(editor, model, index);
    table_.SetValue(index.row(), line->text());
  }

 private:
  CustomFieldsTable& table_;
};

// A cell of a loaded row keeps the loaded bytes while it reads as them.
SecretText CellBytes(const QString& text, const SecretText* loaded) {
  return loaded != nullptr ? KeptOrEditedBytes(text, *loaded) : SecretFromText(text);
}

}  // namespace

CustomFieldsTable::CustomFieldsTable(QWidget* parent) : QTableWidget(0, kColumnCount, parent) {
  setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value"), QStringLiteral("Protected")});
  horizontalHeader()->setSectionResizeMode(kValueColumn, QHeaderView::Stretch);
  horizontalHeader()->setSectionResizeMode(kProtectedColumn, QHeaderView::ResizeToContents);
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // Tab leaves the table for the next control; arrows move between cells.
  setTabKeyNavigation(false);
  setItemDelegate(new ValueDelegate(*this));
  connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() == kProtectedColumn) ShowValue(item->row());
  });
}

CustomFieldsTable::~CustomFieldsTable() { Clear(); }

void CustomFieldsTable::Clear() {
  for (int row = 0; row < rowCount(); ++row) {
    QString value = TakeValue(*item(row, kValueColumn));
    WipeText(value);
  }
  setRowCount(0);
}

QString CustomFieldsTable::ValueOf(const QTableWidgetItem& item) { return item.data(kValueRole).toString(); }

bool CustomFieldsTable::IsMasked(int row) const {
  return !revealed_ && item(row, kProtectedColumn)->checkState() == Qt::Checked;
}

void CustomFieldsTable::SetValue(int row, const QString& value) {
  QTableWidgetItem& cell = *item(row, kValueColumn);
  QString old = TakeValue(cell);
  WipeText(old);
  cell.setData(kValueRole, value);
  ShowValue(row);
}

void CustomFieldsTable::ShowValue(int row) {
  QTableWidgetItem& cell = *item(row, kValueColumn);
  const QString value = ValueOf(cell);
  cell.setText(IsMasked(row) && !value.isEmpty() ? QString(kMaskLength, QChar(0x2022)) : value);
}

void CustomFieldsTable::SetRevealed(bool revealed) {
  revealed_ = revealed;
  for (int row = 0; row < rowCount(); ++row) ShowValue(row);
}

void CustomFieldsTable::Load(const std::vector<CustomField>& fields) {
  Clear();
  loaded_ = fields;
  for (size_t index = 0; index < loaded_.size(); ++index) {
    AddRow();
    const int row = rowCount() - 1;
    item(row, kNameColumn)->setText(TextFromBytes(loaded_[index].name.view()));
    item(row, kNameColumn)->setData(kLoadedIndexRole, static_cast<int>(index));
    item(row, kProtectedColumn)->setCheckState(loaded_[index].isProtected ? Qt::Checked : Qt::Unchecked);
    QString value = TextFromBytes(loaded_[index].value.view());
    SetValue(row, value);
    WipeText(value);
    if (IsProgramField(loaded_[index].name)) {
      item(row, kNameColumn)->setData(kReadOnlyRole, true);
      for (int column = 0; column < kColumnCount; ++column) MakeReadOnly(*item(row, column));
    }
  }
  if (rowCount() > 0) setCurrentCell(0, kNameColumn);
}

void CustomFieldsTable::AddRow() {
  const int row = rowCount();
  insertRow(row);
  auto* name = new QTableWidgetItem;
  name->setData(kLoadedIndexRole, -1);
  setItem(row, kNameColumn, name);
  setItem(row, kValueColumn, new QTableWidgetItem);
  auto* isProtected = new QTableWidgetItem;
  isProtected->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  isProtected->setCheckState(Qt::Unchecked);
  setItem(row, kProtectedColumn, isProtected);
  setCurrentCell(row, kNameColumn);
}

bool CustomFieldsTable::CanRemoveCurrentRow() const {
  const int row = currentRow();
  return row >= 0 && !item(row, kNameColumn)->data(kReadOnlyRole).toBool();
}

void CustomFieldsTable::RemoveCurrentRow() {
  if (!CanRemoveCurrentRow()) return;
  const int row = currentRow();
  QString value = TakeValue(*item(row, kValueColumn));
  WipeText(value);
  removeRow(row);
}

const char* CustomFieldsTable::Read(std::vector<CustomField>& fields) const {
  std::vector<CustomField> rows;
  for (int row = 0; row < rowCount(); ++row) {
    const QString name = item(row, kNameColumn)->text();
    QString value = ValueOf(*item(row, kValueColumn));
    const int loadedIndex = item(row, kNameColumn)->data(kLoadedIndexRole).toInt();
    const CustomField* loaded = loadedIndex >= 0 ? &loaded_[static_cast<size_t>(loadedIndex)] : nullptr;
    CustomField field{CellBytes(name, loaded ? &loaded->name : nullptr),
                      CellBytes(value, loaded ? &loaded->value : nullptr),
                      item(row, kProtectedColumn)->checkState() == Qt::Checked};
    WipeText(value);
    if (field.name.empty() && field.value.empty()) continue;
    if (field.name.empty()) return kCustomFieldNameEmptyMessage;
    for (const CustomField& earlier : rows) {
      if (earlier.name == field.name) return kCustomFieldNameRepeatedMessage;
    }
    rows.push_back(std::move(field));
  }
  fields = std::move(rows);
  return nullptr;
}

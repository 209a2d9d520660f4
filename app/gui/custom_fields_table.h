#pragma once

#include <QTableWidget>
#include <vector>

#include "safe/entry.h"

// An entry's custom fields as rows of name, value and a Protected check. A
// protected value is shown and edited masked until SetRevealed(true); the
// clear text lives in a role of its own, so the shown text (which screen
// readers and item copies see) is the mask. The fields Quillbox keeps for
// itself (the "Imported ID" of an imported entry) are shown read-only.
class CustomFieldsTable : public QTableWidget {
  Q_OBJECT

 public:
  explicit CustomFieldsTable(QWidget* parent = nullptr);
  ~CustomFieldsTable() override;

  void Load(const std::vector<CustomField>& fields);
  // The rows as fields; a cell left as loaded keeps its loaded bytes. Fully
  // blank rows are left out. Null, or why the rows cannot be stored.
  const char* Read(std::vector<CustomField>& fields) const;

  void AddRow();
  bool CanRemoveCurrentRow() const;
  void RemoveCurrentRow();
  void SetRevealed(bool revealed);
  bool IsRevealed() const { return revealed_; }
  bool IsMasked(int row) const;

  // Clear text of a value cell, for the editor.
  static QString ValueOf(const QTableWidgetItem& item);
  void SetValue(int row, const QString& value);

 private:
  void ShowValue(int row);
  void Clear();

  std::vector<CustomField> loaded_;
  bool revealed_ = false;
};

inline constexpr char kCustomFieldNameEmptyMessage[] = "A custom field needs a name.";
inline constexpr char kCustomFieldNameRepeatedMessage[] = "Two custom fields have the same name.";

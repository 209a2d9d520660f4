#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "safe/entry.h"

class CustomFieldsTable;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// The fields of an entry beyond the designed three: web address, notes,
// one-time code, tags, custom fields, the password history and whether the
// password health report leaves the entry out. It edits a
// copy and writes back, into the fields it owns, only when asked.
class EntryDetailsPanel : public QWidget {
  Q_OBJECT

 public:
  explicit EntryDetailsPanel(QWidget* parent = nullptr);
  ~EntryDetailsPanel() override;

  void Load(const Entry& entry);
  // Writes web address, notes, one-time code, tags and custom fields into
  // entry; a field left as loaded keeps its bytes. Null, or the message to
  // show, and then entry is left as it was.
  const char* Store(Entry& entry) const;

  // A legacy safe holds none of these fields: every control is disabled and
  // a note says how to make room for them.
  void SetLegacy(bool legacy);

  // Every control, in tab order.
  std::vector<QWidget*> Controls() const;

 signals:
  // "Restore": an earlier password, for the dialog's password field.
  void restorePassword(const QString& password);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowHistory();
  void ShowRevealed(bool revealed);
  void RestoreSelected();
  void UpdateButtons();
  const char* ReadOneTimeCode(SecretText& uri) const;
  void ReadTags(std::vector<SecretText>& tags) const;

  Entry loaded_;  // the owned fields as loaded
  QString notesAsShown_;
  bool legacy_ = false;
  QLabel* legacyNote_;
  QLineEdit* url_;
  QPlainTextEdit* notes_;
  QLineEdit* oneTimeCode_;
  QLineEdit* tags_;
  CustomFieldsTable* fields_;
  QPushButton* addField_;
  QPushButton* removeField_;
  QCheckBox* show_;
  QTreeWidget* history_;
  QPushButton* restore_;
  QCheckBox* exclude_;
  // Where the loaded entry held its exclusion field, which the checkbox
  // shows instead of the table; -1: it held none.
  int loadedExclusionAt_ = -1;
};

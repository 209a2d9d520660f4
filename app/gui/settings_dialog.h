#pragma once

#include <QDialog>
#include <vector>

class QLineEdit;
class Quillbox;
struct SettingSpec;

// File > "&Settings...": every setting people may change, grouped and
// bounded as the settings catalogue says. Nothing is written until OK.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(Quillbox& app, QWidget* parent);

  // Writes the values changed since the dialog opened; true when any was.
  bool WriteChanges();

 private:
  struct Field {
    const SettingSpec* spec;
    QWidget* editor;
    QString shownText;  // text settings as they were read
    int shownNumber;    // numbers and flags as shown, limits applied
  };

  QWidget* MakeEditor(const SettingSpec& spec, Field* field);
  QWidget* MakeSafeFolderRow(QLineEdit* edit);
  QWidget* MakeFileRow(QLineEdit* edit);

  Quillbox& app_;
  std::vector<Field> fields_;
};

#pragma once

#include <QDialog>
#include <memory>

struct EntryFieldBuffers;
namespace Ui {
class EntryDialog;
}

// The add/edit dialog of one entry: the designed three fields first, then
// the details panel. It shows the buffers' entry and writes it back only
// when it ends with OK; OK is refused, with a message, while a field could
// not be stored (in a legacy safe a tab or line break, or over 259 bytes).
class EntryDialog : public QDialog {
  Q_OBJECT

 public:
  EntryDialog(bool addMode, EntryFieldBuffers& fields, QWidget* parent);
  ~EntryDialog() override;

  void accept() override;

 private:
  // "Generate": the generator dialog, whose "Use" fills the password field.
  void GeneratePassword();
  // "SSH Key...": the entry's key and its agent options, into the panel's
  // custom fields until OK.
  void EditSshKey();
  void SetTabOrder();

  EntryFieldBuffers& fields_;
  std::unique_ptr<Ui::EntryDialog> ui_;
};

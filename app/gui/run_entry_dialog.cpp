#include "app/gui/run_entry_dialog.h"

#include "app/gui/entry_dialog.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/qt_message_box.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"

namespace {

// The entry of the first selected row in display order.
bool GetTopSelectedEntry(QuillboxView& view, int& entryIndex) {
  const int rows = view.GetRowCount();
  for (int row = 0; row < rows; ++row) {
    if (view.IsRowSelected(row)) {
      return view.GetRowEntryIndex(row, entryIndex);
    }
  }
  return false;
}

}  // namespace

bool RunEntryDialog(Quillbox& app, QuillboxView& view, QWidget* owner, bool addMode) {
  EntryFieldBuffers fields;
  for (;;) {
    fields.Clear();
    if (!app.IsLoggedIn()) {
      return false;
    }
    int entryIndex = -1;
    if (!addMode && (!GetTopSelectedEntry(view, entryIndex) ||
                     !app.GetEntryFields(entryIndex, fields.description, fields.userName, fields.password))) {
      return false;
    }
    EntryDialog dialog(addMode, fields, owner);
    if (dialog.exec() != QDialog::Accepted) {
      return false;
    }
    if (!fields.AllEmpty()) {
      return addMode ? app.AddEntry(fields.description, fields.userName, fields.password)
                     : app.EditEntry(entryIndex, fields.description, fields.userName, fields.password);
    }
    ShowQtMessageBox(owner, kBlankEntryMessage, kErrorCaption, kMbOk | kMbIconWarning);
  }
}

#include "app/gui/run_entry_dialog.h"

#include "app/gui/entry_dialog.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/qt_message_box.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"

#include <utility>

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
    fields.format = app.OpenSafeFormat();
    if (!addMode) {
      const Entry* entry = GetTopSelectedEntry(view, entryIndex) ? app.GetEntry(entryIndex) : nullptr;
      if (entry == nullptr) return false;
      fields.entry = *entry;
    }
    EntryDialog dialog(addMode, fields, owner);
    if (dialog.exec() != QDialog::Accepted) {
      return false;
    }
    if (!fields.AllEmpty()) {
      return addMode ? app.AddEntry(std::move(fields.entry)) : app.EditEntry(entryIndex, std::move(fields.entry));
    }
    ShowQtMessageBox(owner, kBlankEntryMessage, kErrorCaption, kMbOk | kMbIconWarning);
  }
}

#include "app/gui/run_entry_dialog.h"

#include "app/gui/entry_dialog.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/qt_message_box.h"
#include "app/field_reference_note.h"
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
  int entryIndex = -1;
  if (!addMode && !GetTopSelectedEntry(view, entryIndex)) return false;
  return RunEntryDialogAt(app, owner, entryIndex);
}

bool RunEntryDialogAt(Quillbox& app, QWidget* owner, int entryIndex) {
  const bool addMode = entryIndex < 0;
  EntryFieldBuffers fields;
  for (;;) {
    fields.Clear();
    if (!app.IsLoggedIn()) {
      return false;
    }
    fields.format = app.OpenSafeFormat();
    if (!addMode) {
      const Entry* entry = app.GetEntry(entryIndex);
      if (entry == nullptr) return false;
      fields.entry = *entry;
      fields.referenceNote = FieldReferenceNote(*entry, app.GetEntries());
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

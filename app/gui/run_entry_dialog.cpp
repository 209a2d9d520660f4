#include "app/gui/run_entry_dialog.h"

#include "app/gui/entry_dialog.h"
#include "app/gui/entry_field_buffers.h"
#include "ui/gui/qt_message_box.h"
#include "app/field_reference_note.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"

#include <utility>

namespace {

// The entry of the first selected row in display order.
const Entry* GetTopSelectedEntry(Quillbox& app, QuillboxView& view) {
  const int rows = view.GetRowCount();
  for (int row = 0; row < rows; ++row) {
    int entryIndex = -1;
    if (view.IsRowSelected(row)) return view.GetRowEntryIndex(row, entryIndex) ? app.GetEntry(entryIndex) : nullptr;
  }
  return nullptr;
}

}  // namespace

bool RunEntryDialog(Quillbox& app, QuillboxView& view, QWidget* owner, bool addMode) {
  if (addMode) return RunEntryDialogFor(app, owner, nullptr);
  const Entry* entry = GetTopSelectedEntry(app, view);
  if (entry == nullptr) return false;
  const EntryId id = entry->id;
  return RunEntryDialogFor(app, owner, &id);
}

bool RunEntryDialogFor(Quillbox& app, QWidget* owner, const EntryId* id) {
  const bool addMode = id == nullptr;
  EntryFieldBuffers fields;
  for (;;) {
    fields.Clear();
    if (!app.IsLoggedIn()) {
      return false;
    }
    const uint64_t session = app.GetSessionNumber();
    fields.format = app.OpenSafeFormat();
    // The version the dialog shows names the entry the edit changes: the
    // list may change while the dialog is open (a reload, another writer).
    Entry shown;
    if (!addMode) {
      const Entry* entry = app.FindEntry(*id);
      if (entry == nullptr) return false;
      shown = *entry;
      fields.entry = shown;
      fields.referenceNote = FieldReferenceNote(*entry, app.GetEntries());
    }
    EntryDialog dialog(addMode, fields, owner);
    if (dialog.exec() != QDialog::Accepted) {
      return false;
    }
    // Locked, or another safe opened, meanwhile: the entry is not its to take.
    if (app.GetSessionNumber() != session) return false;
    if (!fields.AllEmpty()) {
      return addMode ? app.AddEntry(std::move(fields.entry)) : app.EditEntry(shown, std::move(fields.entry));
    }
    ShowQtMessageBox(owner, kBlankEntryMessage, kErrorCaption, kMbOk | kMbIconWarning);
  }
}

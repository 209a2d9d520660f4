#pragma once

struct EntryId;
class Quillbox;
class QuillboxView;
class QWidget;

// Adds an entry (add mode) or edits the topmost selected row's entry through
// the entry dialog. An entry with all three fields empty is refused with
// "All fields cannot be blank." and the dialog opens again afresh. True when
// an entry was added or changed.
bool RunEntryDialog(Quillbox& app, QuillboxView& view, QWidget* owner, bool addMode);
// The same dialog on the entry of that id (null: a new entry), wherever the
// list's selection is.
bool RunEntryDialogFor(Quillbox& app, QWidget* owner, const EntryId* id);

#include "app/gui/entry_field_buffers.h"

void EntryFieldBuffers::Clear() {
  entry = Entry();
  referenceNote.clear();
}

bool EntryFieldBuffers::AllEmpty() const {
  return entry.title.empty() && entry.userName.empty() && entry.password.empty() && entry.url.empty() &&
         entry.notes.empty() && entry.totp.empty() && entry.tags.empty() && entry.fields.empty();
}

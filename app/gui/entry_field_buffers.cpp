#include "app/gui/entry_field_buffers.h"

void EntryFieldBuffers::Clear() {
  description.Wipe();
  userName.Wipe();
  password.Wipe();
}

bool EntryFieldBuffers::AllEmpty() const { return description.empty() && userName.empty() && password.empty(); }

#include "app/gui/entry_field_buffers.h"

#include <string.h>

EntryFieldBuffers::~EntryFieldBuffers() { Clear(); }

void EntryFieldBuffers::Clear() {
  explicit_bzero(description, sizeof description);
  explicit_bzero(userName, sizeof userName);
  explicit_bzero(password, sizeof password);
}

bool EntryFieldBuffers::AllEmpty() const {
  return description[0] == '\0' && userName[0] == '\0' && password[0] == '\0';
}

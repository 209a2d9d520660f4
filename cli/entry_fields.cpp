#include "cli/entry_fields.h"

EntryFields DesignedFieldsOf(const Entry& entry) {
  return {entry.title.view(), entry.userName.view(), entry.password.view()};
}

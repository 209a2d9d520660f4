// What the entry dialog says of fields that refer to other entries.
#include "app/field_reference_note.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/safe/reference_to.h"

namespace {

TEST(FieldReferenceNote, NamesTheFieldsAndTheEntryTheyReferTo) {
  std::vector<Entry> entries(2);
  entries[0].title = "Bank <b>main</b>";
  entries[1].title = "Mail";
  AssignMissingIds(entries);
  const std::string bank = ReferenceTo('P', entries[0]), mail = ReferenceTo('U', entries[1]);
  const std::string missing = "{REF:P@I:0123456789ABCDEF0123456789ABCDEF}";
  struct Case {
    const char* what;
    std::string user_name, password, field;
    std::string note;
  } cases[] = {
      {"none", "alice", "pw", "", ""},
      {"one", "alice", "x" + bank, "",
       "The password refers to the entry \"Bank <b>main</b>\": it is shown, copied and typed as that entry's value."},
      {"two and a custom field", bank, bank, bank,
       "The user name, password and \"PIN\" refer to the entry \"Bank <b>main</b>\": they are shown, copied and typed "
       "as that entry's values."},
      {"two entries", mail, bank, "",
       "The user name and password refer to other entries: they are shown, copied and typed as those entries' "
       "values."},
      {"missing", "", missing, "",
       "The password refers to an entry that is not in this safe, so it is shown as written."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Entry entry;
    entry.userName = c.user_name;
    entry.password = c.password;
    if (!c.field.empty()) entry.SetField("PIN", c.field, true);
    EXPECT_EQ(FieldReferenceNote(entry, entries), c.note);
  }
}

}  // namespace

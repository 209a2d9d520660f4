#include <sys/random.h>

#include "interchange/entry_fields.h"
#include "interchange/export_text.h"
#include "interchange/keepass_xml.h"
#include "core/legacy_text.h"

namespace {

constexpr char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<KeePassFile>\n"
    "\t<Meta>\n"
    "\t\t<Generator>Quillbox</Generator>\n"
    "\t\t<MemoryProtection>\n"
    "\t\t\t<ProtectTitle>False</ProtectTitle>\n"
    "\t\t\t<ProtectUserName>False</ProtectUserName>\n"
    "\t\t\t<ProtectPassword>True</ProtectPassword>\n"
    "\t\t\t<ProtectURL>False</ProtectURL>\n"
    "\t\t\t<ProtectNotes>False</ProtectNotes>\n"
    "\t\t</MemoryProtection>\n"
    "\t</Meta>\n"
    "\t<Root>\n"
    "\t\t<Group>\n";
constexpr char kTail[] =
    "\t\t</Group>\n"
    "\t</Root>\n"
    "</KeePassFile>\n";
constexpr size_t kEntryMarkup = 512;

// KeePass identifies groups and entries by 16 random bytes in Base64.
bool AppendUuid(std::string* out) {
  static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  unsigned char bytes[18] = {};
  if (getrandom(bytes, 16, 0) != 16) return false;
  for (size_t i = 0; i < 18; i += 3) {
    unsigned value = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) out->push_back(kBase64[(value >> shift) & 63]);
  }
  out->resize(out->size() - 2);
  out->append("==");
  return true;
}

bool AppendString(const char* key, std::string_view value, bool is_protected, std::string* out) {
  out->append("\t\t\t\t<String>\n\t\t\t\t\t<Key>").append(key).append("</Key>\n\t\t\t\t\t<Value");
  if (is_protected) out->append(" ProtectInMemory=\"True\"");
  out->push_back('>');
  bool ok = AppendXmlEscaped(value, out);
  out->append("</Value>\n\t\t\t\t</String>\n");
  return ok;
}

}  // namespace

bool WriteKeepassXml(const std::vector<Entry>& entries, std::string* out, std::string* error) {
  ReserveForExport(entries, kEntryMarkup, out);
  std::string converted;
  converted.reserve(3 * LongestEntryLine(entries) + 3);
  out->append(kHead).append("\t\t\t<UUID>");
  bool ok = AppendUuid(out);
  out->append("</UUID>\n\t\t\t<Name>Quillbox</Name>\n");
  for (size_t i = 0; ok && i < entries.size(); ++i) {
    EntryFields entry = DesignedFieldsOf(entries[i]);
    converted.clear();
    AppendFieldAsUtf8(entry.description, &converted);
    size_t user_start = converted.size();
    AppendFieldAsUtf8(entry.account_user, &converted);
    size_t password_start = converted.size();
    AppendFieldAsUtf8(entry.password, &converted);
    std::string_view all(converted);
    out->append("\t\t\t<Entry>\n\t\t\t\t<UUID>");
    ok = AppendUuid(out);
    out->append("</UUID>\n");
    // Every field is written, so the markup stays whole even when one fails.
    bool fields_ok = AppendString("Title", all.substr(0, user_start), false, out);
    fields_ok = AppendString("UserName", all.substr(user_start, password_start - user_start), false, out) && fields_ok;
    fields_ok = AppendString("Password", all.substr(password_start), true, out) && fields_ok;
    AppendString("URL", "", false, out);
    AppendString("Notes", "", false, out);
    out->append("\t\t\t</Entry>\n");
    if (!ok) *error = "no random bytes for the entry identifiers";
    if (!fields_ok) {
      *error = "entry " + std::to_string(i + 1) + " holds a control character that XML cannot carry";
      ok = false;
    }
  }
  WipeString(&converted);
  out->append(kTail);
  return ok;
}

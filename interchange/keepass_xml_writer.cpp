#include <sys/random.h>

#include <algorithm>
#include <map>
#include <set>

#include "interchange/export_text.h"
#include "interchange/import_plan.h"
#include "interchange/keepass_xml.h"
#include "interchange/keepass_time.h"
#include "interchange/protected_xml_value.h"
#include "interchange/utc_time.h"
#include "core/legacy_text.h"
#include "interchange/keepass_one_time_code.h"

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
    "\t\t</MemoryProtection>\n";
// Inside a KDBX file: named, and with no recycle bin, so that a deletion
// in KeePass is a deletion as it is here. The bin's UUID is there all the
// same, zero as KeePass writes it, for readers that need it (pykeepass).
constexpr char kKdbxMeta[] =
    "\t\t<DatabaseName>Quillbox</DatabaseName>\n"
    "\t\t<RecycleBinEnabled>False</RecycleBinEnabled>\n"
    "\t\t<RecycleBinUUID>AAAAAAAAAAAAAAAAAAAAAA==</RecycleBinUUID>\n";
constexpr char kRootStart[] =
    "\t</Meta>\n"
    "\t<Root>\n";
constexpr char kTail[] =
    "\t</Root>\n"
    "</KeePassFile>\n";
constexpr size_t kEntryMarkup = 1024;
constexpr std::string_view kKeepassSource = kKeepassSourcePrefix;

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

// The UUID the entry had in KeePass, when it came from there and no other
// entry has taken it; empty for a new one.
std::string_view KeepassUuidOf(const Entry& entry, std::set<std::string_view>* used) {
  const CustomField* source = entry.FindField(kSourceIdField);
  if (source == nullptr || !source->value.view().starts_with(kKeepassSource)) return {};
  std::string_view uuid = source->value.view().substr(kKeepassSource.size());
  bool well_formed = uuid.size() == 24 && uuid.ends_with("==") &&
                     uuid.substr(0, 22).find_first_not_of(
                         "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/") == std::string_view::npos;
  return well_formed && used->insert(uuid).second ? uuid : std::string_view();
}

// Room for more bytes; when out must grow, its old buffer is wiped, so
// that growth leaves no copy of a password behind.
void MakeRoom(size_t more, std::string* out) {
  if (out->capacity() - out->size() >= more) return;
  std::string larger;
  larger.reserve(std::max(2 * out->capacity(), out->size() + more));
  larger.append(*out);
  WipeString(out);
  out->swap(larger);
}

// The most an entry's markup and texts take, each version of it writing its
// texts again, every text possibly six times longer once converted and
// escaped.
size_t EntryRoom(const Entry& entry) {
  size_t versions = entry.history.size() + 1;
  size_t texts = EntryTextSize(entry) + 2 * entry.totp.size();
  return versions * (6 * texts + 256 * (entry.fields.size() + 16));
}

// Writes the entries' texts as UTF-8 through one scratch buffer reserved
// for the longest, so a password is never copied by growth.
// Inside a KDBX file (stream set) protected values are XORed with its
// inner stream and times are its Base64 seconds.
class EntryWriter {
 public:
  EntryWriter(const std::vector<Entry>& entries, ProtectedValueStream* stream, std::string* out)
      : out_(out), stream_(stream) {
    converted_.reserve(3 * LongestEntryLine(entries) + 3);
  }
  ~EntryWriter() { WipeString(&converted_); }

  // False when the entry holds a control character XML cannot carry; the
  // markup stays whole either way.
  bool Write(const Entry& entry, std::string_view uuid, std::string_view indent) {
    ok_ = true;
    MakeRoom(EntryRoom(entry), out_);
    std::string in(indent);
    out_->append(in).append("<Entry>\n").append(in).append("\t<UUID>").append(uuid).append("</UUID>\n");
    if (entry.tags.size() > 1) {
      out_->append(in).append("\t<Tags>");
      for (size_t t = 1; t < entry.tags.size(); ++t) {
        if (t > 1) out_->push_back(';');
        Escaped(entry.tags[t].view());
      }
      out_->append("</Tags>\n");
    }
    WriteTimes(entry.created, entry.modified, in + "\t");
    WriteVersionStrings(entry, entry.password.view(), in + "\t");
    if (!entry.totp.empty()) {
      String("otp", entry.totp.view(), true, in + "\t");
      std::vector<CustomField> code_fields;
      if (KeePassOneTimeCodeFields(entry.totp.view(), code_fields) == nullptr) {
        for (const CustomField& field : code_fields) {
          if (entry.FindField(field.name.view()) == nullptr) {
            String(field.name.view(), field.value.view(), field.isProtected, in + "\t");
          }
        }
      }
    }
    for (const CustomField& field : entry.fields) {
      if (field.name == kSourceIdField) continue;
      String(field.name.view(), field.value.view(), field.isProtected, in + "\t");
    }
    if (!entry.history.empty()) {
      out_->append(in).append("\t<History>\n");
      for (size_t h = 0; h < entry.history.size(); ++h) {
        // A version was made when the one before it was replaced.
        int64_t made = h == 0 ? entry.created : entry.history[h - 1].replacedAt;
        out_->append(in).append("\t\t<Entry>\n").append(in).append("\t\t\t<UUID>").append(uuid).append("</UUID>\n");
        WriteTimes(entry.created, made, in + "\t\t\t");
        WriteVersionStrings(entry, entry.history[h].password.view(), in + "\t\t\t");
        out_->append(in).append("\t\t</Entry>\n");
      }
      out_->append(in).append("\t</History>\n");
    }
    out_->append(in).append("</Entry>\n");
    return ok_;
  }

 private:
  void Escaped(std::string_view text) {
    converted_.clear();
    AppendFieldAsUtf8(text, &converted_);
    ok_ = AppendXmlEscaped(converted_, out_) && ok_;
  }

  void String(std::string_view key, std::string_view value, bool is_protected, const std::string& indent) {
    out_->append(indent).append("<String>\n").append(indent).append("\t<Key>");
    Escaped(key);
    out_->append("</Key>\n").append(indent).append("\t<Value");
    if (is_protected && stream_ != nullptr) {
      out_->append(" Protected=\"True\">");
      converted_.clear();
      AppendFieldAsUtf8(value, &converted_);
      AppendProtectedValue(*stream_, &converted_, out_);
    } else {
      if (is_protected) out_->append(" ProtectInMemory=\"True\"");
      out_->push_back('>');
      Escaped(value);
    }
    out_->append("</Value>\n").append(indent).append("</String>\n");
  }

  void Time(const char* name, int64_t seconds, std::string_view indent) {
    out_->append(indent).append("<").append(name).append(">");
    if (stream_ != nullptr) {
      AppendKdbxTime(seconds, out_);
    } else {
      out_->append(FormatUtcTime(seconds));
    }
    out_->append("</").append(name).append(">\n");
  }

  void WriteTimes(int64_t created, int64_t modified, const std::string& indent) {
    if (created == 0 && modified == 0) return;
    out_->append(indent).append("<Times>\n");
    if (created != 0) Time("CreationTime", created, indent + "\t");
    if (modified != 0) Time("LastModificationTime", modified, indent + "\t");
    out_->append(indent).append("</Times>\n");
  }

  void WriteVersionStrings(const Entry& entry, std::string_view password, const std::string& indent) {
    String("Title", entry.title.view(), false, indent);
    String("UserName", entry.userName.view(), false, indent);
    String("Password", password, true, indent);
    String("URL", entry.url.view(), false, indent);
    String("Notes", entry.notes.view(), false, indent);
  }

  std::string* out_;
  ProtectedValueStream* stream_;  // null: an export in plain text
  std::string converted_;
  bool ok_ = true;
};

// The groups an export makes: an entry goes in the group its first tag
// names ("Work/VPN" in VPN inside Work), its other tags are KeePass tags.
struct GroupNode {
  std::map<std::string, GroupNode> children;
  std::vector<size_t> entries;
};

GroupNode& NodeOf(GroupNode& top, std::string_view path) {
  GroupNode* node = &top;
  while (!path.empty()) {
    size_t slash = path.find('/');
    std::string_view name = path.substr(0, slash);
    if (!name.empty()) node = &node->children[std::string(name)];
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return *node;
}

class XmlExport {
 public:
  XmlExport(const std::vector<Entry>& entries, ProtectedValueStream* stream, std::string* out)
      : entries_(entries), out_(out), writer_(entries, stream, out), in_kdbx_(stream != nullptr) {}

  bool Write(std::string* error) {
    GroupNode top;
    for (size_t i = 0; i < entries_.size(); ++i) {
      std::string path;
      if (!entries_[i].tags.empty()) AppendFieldAsUtf8(entries_[i].tags[0].view(), &path);
      NodeOf(top, path).entries.push_back(i);
    }
    out_->append(kHead).append(in_kdbx_ ? kKdbxMeta : "").append(kRootStart);
    WriteGroup("Quillbox", top, "\t\t");
    out_->append(kTail);
    if (!random_ok_) *error = "no random bytes for the entry identifiers";
    if (bad_entry_ != 0) {
      *error = "entry " + std::to_string(bad_entry_) + " holds a control character that XML cannot carry";
    }
    return random_ok_ && bad_entry_ == 0;
  }

 private:
  void WriteGroup(std::string_view name, const GroupNode& node, const std::string& indent) {
    MakeRoom(indent.size() + 6 * name.size() + 256, out_);
    out_->append(indent).append("<Group>\n").append(indent).append("\t<UUID>");
    random_ok_ = AppendUuid(out_) && random_ok_;
    out_->append("</UUID>\n").append(indent).append("\t<Name>");
    AppendXmlEscaped(name, out_);
    out_->append("</Name>\n");
    for (size_t i : node.entries) {
      std::string uuid(KeepassUuidOf(entries_[i], &used_));
      if (uuid.empty()) random_ok_ = AppendUuid(&uuid) && random_ok_;
      if (!writer_.Write(entries_[i], uuid, indent + "\t") && bad_entry_ == 0) bad_entry_ = i + 1;
    }
    for (const auto& [child_name, child] : node.children) WriteGroup(child_name, child, indent + "\t");
    MakeRoom(indent.size() + 16 + sizeof kTail, out_);
    out_->append(indent).append("</Group>\n");
  }

  const std::vector<Entry>& entries_;
  std::string* out_;
  EntryWriter writer_;
  bool in_kdbx_;
  std::set<std::string_view> used_;
  bool random_ok_ = true;
  size_t bad_entry_ = 0;
};

}  // namespace

bool WriteKeepassXml(const std::vector<Entry>& entries, std::string* out, std::string* error) {
  ReserveForExport(entries, kEntryMarkup, out);
  return XmlExport(entries, nullptr, out).Write(error);
}

bool WriteKdbxXml(const std::vector<Entry>& entries, ProtectedValueStream& stream, std::string* out,
                  std::string* error) {
  ReserveForExport(entries, kEntryMarkup, out);
  return XmlExport(entries, &stream, out).Write(error);
}

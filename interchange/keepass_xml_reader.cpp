#include <expat.h>
#include "interchange/wiping_expat_memory.h"
#include <ctype.h>
#include <malloc.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <vector>

#include "interchange/keepass_xml.h"
#include "interchange/keepass_time.h"
#include "interchange/protected_xml_value.h"

namespace {

// Where in the document the element being read sits.
enum class Element {
  kOther,
  kKeePassFile,
  kMeta,
  kRecycleBinUuid,
  kRoot,
  kGroup,
  kGroupName,
  kGroupUuid,
  kEntry,
  kString,
  kKey,
  kValue,
  kBinary,
  kHistory,
  kHistoryEntry,
  kTags,
  kEntryUuid,
  kTimes,
  kCreationTime,
  kModificationTime,
};

// The parser's fault in this program's words; its own texts are terse.
const char* XmlFaultText(XML_Error code) {
  switch (code) {
    case XML_ERROR_NO_MEMORY:
      return "out of memory";
    case XML_ERROR_SYNTAX:
    case XML_ERROR_INVALID_TOKEN:
      return "the text is not well-formed XML here";
    case XML_ERROR_NO_ELEMENTS:
    case XML_ERROR_UNCLOSED_TOKEN:
    case XML_ERROR_PARTIAL_CHAR:
      return "the file ends in the middle of the XML (cut short?)";
    case XML_ERROR_TAG_MISMATCH:
      return "an element is closed by the end tag of another (mismatched tag)";
    case XML_ERROR_DUPLICATE_ATTRIBUTE:
      return "an element names the same attribute twice";
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT:
      return "there is more text after the end of the document";
    case XML_ERROR_UNDEFINED_ENTITY:
      return "an undefined entity is used (an & not written as &amp;?)";
    case XML_ERROR_BAD_CHAR_REF:
      return "a character reference names a character XML cannot hold";
    case XML_ERROR_UNCLOSED_CDATA_SECTION:
      return "a CDATA section is not closed";
    case XML_ERROR_INCORRECT_ENCODING:
    case XML_ERROR_UNKNOWN_ENCODING:
      return "the file is not in the encoding it declares (KeePass writes UTF-8)";
    case XML_ERROR_MISPLACED_XML_PI:
      return "the XML declaration is not at the start of the file";
    default:
      return "the text is not well-formed XML here";
  }
}

// The inner XML of a KeePass database carries protected values as Base64
// of their encrypted bytes; an export writes them in plain text (marked
// ProtectInMemory instead).
bool LooksLikeBase64(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) return false;
  size_t end = text.find_last_not_of('=');
  if (end == std::string_view::npos || text.size() - end - 1 > 2) return false;
  for (char c : text.substr(0, end + 1)) {
    if (!isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '/') return false;
  }
  return true;
}

// KeePass separates tags with ';' (older versions) or ','.
size_t CountTags(std::string_view text) {
  size_t tags = 0;
  bool blank = true;  // the tag so far holds only spaces
  for (char c : text) {
    if (c == ';' || c == ',') {
      tags += !blank;
      blank = true;
    } else if (c != ' ') {
      blank = false;
    }
  }
  return tags + !blank;
}

// One earlier version of an entry, as its History holds it.
struct EarlierVersion {
  SecretText password;
  int64_t modified = 0;
};

struct GroupState {
  std::string name;
  bool recycled = false;
};

// Reads an export's XML, or with a stream the XML inside a KDBX file.
class KeepassXmlReader {
 public:
  KeepassXmlReader(ForeignFile* file, ProtectedValueStream* stream) : file_(file), stream_(stream) {}
  ~KeepassXmlReader() {
    WipeString(&text_);
    WipeString(&key_);
    WipeString(&value_);
  }

  bool Read(std::string_view text, std::string* error) {
    XML_Parser parser = XML_ParserCreate_MM("UTF-8", &kWipingExpatMemory, nullptr);
    if (parser == nullptr) {
      *error = "out of memory";
      return false;
    }
    parser_ = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, StartElement, EndElement);
    // KeePass files declare no document type; refusing one keeps every
    // entity (and so any entity expansion) out.
    XML_SetStartDoctypeDeclHandler(parser, StartDoctype);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    bool ok = true;
    do {
      size_t piece = text.size() < kMaxPiece ? text.size() : kMaxPiece;
      bool last = piece == text.size();
      ok = XML_Parse(parser, text.data(), static_cast<int>(piece), last) == XML_STATUS_OK;
      text.remove_prefix(piece);
    } while (ok && !text.empty());
    if (ok && !seen_root_) {
      failure_ = "the file is not a KeePass XML export (no KeePassFile/Root)";
      ok = false;
    }
    if (!ok) {
      size_t line = XML_GetCurrentLineNumber(parser);
      std::string place = "line " + std::to_string(line);
      if (failure_ == nullptr) place += ", column " + std::to_string(XML_GetCurrentColumnNumber(parser) + 1);
      *error = place + ": " + (failure_ != nullptr ? failure_ : XmlFaultText(XML_GetErrorCode(parser)));
    }
    XML_ParserFree(parser);
    return ok;
  }

 private:
  static void StartDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<KeepassXmlReader*>(self)->Stop("the file declares a document type, which KeePass XML never has");
  }
  static void StartElement(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<KeepassXmlReader*>(self)->Start(name, attributes);
  }
  static void EndElement(void* self, const XML_Char*) { static_cast<KeepassXmlReader*>(self)->End(); }
  static void CharacterData(void* self, const XML_Char* data, int length) {
    auto* reader = static_cast<KeepassXmlReader*>(self);
    AppendSecret(&reader->text_, std::string_view(data, static_cast<size_t>(length)));
  }

  void Stop(const char* reason) {
    failure_ = reason;
    XML_StopParser(parser_, XML_FALSE);
  }

  // Where a record starts, for the problems the plan finds: its line in an
  // export; in a database, whose XML the user never sees, its number among
  // the entries (which also spares expat counting lines).
  size_t Position() const { return stream_ != nullptr ? file_->records : XML_GetCurrentLineNumber(parser_); }

  // Text is taken only inside the elements read; between them (mostly
  // indentation) expat need not report it at all.
  void Collect(bool on) {
    if (on == collecting_) return;
    collecting_ = on;
    XML_SetCharacterDataHandler(parser_, on ? CharacterData : nullptr);
  }

  Element Parent() const { return stack_.empty() ? Element::kOther : stack_.back(); }

  Element Classify(std::string_view name) const {
    Element parent = Parent();
    if (stack_.empty()) return name == "KeePassFile" ? Element::kKeePassFile : Element::kOther;
    switch (parent) {
      case Element::kKeePassFile:
        if (name == "Meta") return Element::kMeta;
        if (name == "Root") return Element::kRoot;
        break;
      case Element::kMeta:
        if (name == "RecycleBinUUID") return Element::kRecycleBinUuid;
        break;
      case Element::kRoot:
        if (name == "Group") return Element::kGroup;
        break;
      case Element::kGroup:
        if (name == "Group") return Element::kGroup;
        if (name == "Name") return Element::kGroupName;
        if (name == "UUID") return Element::kGroupUuid;
        if (name == "Entry") return Element::kEntry;
        break;
      case Element::kEntry:
        if (name == "String") return Element::kString;
        if (name == "Binary") return Element::kBinary;
        if (name == "History") return Element::kHistory;
        if (name == "Tags") return Element::kTags;
        if (name == "UUID") return Element::kEntryUuid;
        if (name == "Times") return Element::kTimes;
        break;
      case Element::kHistoryEntry:
        if (name == "String") return Element::kString;
        if (name == "Times") return Element::kTimes;
        break;
      case Element::kTimes:
        if (name == "CreationTime") return Element::kCreationTime;
        if (name == "LastModificationTime") return Element::kModificationTime;
        break;
      case Element::kHistory:
        if (name == "Entry") return Element::kHistoryEntry;
        break;
      case Element::kString:
        if (name == "Key") return Element::kKey;
        if (name == "Value") return Element::kValue;
        break;
      default:
        break;
    }
    return Element::kOther;
  }

  static bool HasTrue(const XML_Char** attributes, const char* name) {
    for (size_t i = 0; attributes[i] != nullptr; i += 2) {
      if (strcmp(attributes[i], name) == 0 && strcmp(attributes[i + 1], "True") == 0) return true;
    }
    return false;
  }
  // KeePassXC takes "true" in any case and "1" inside a database, and moves
  // its stream for each; so must this reader, or the values after differ.
  static bool HasKdbxTrue(const XML_Char** attributes, const char* name) {
    for (size_t i = 0; attributes[i] != nullptr; i += 2) {
      if (strcmp(attributes[i], name) == 0) {
        return strcasecmp(attributes[i + 1], "true") == 0 || strcmp(attributes[i + 1], "1") == 0;
      }
    }
    return false;
  }
  bool IsProtected(const XML_Char** attributes) const {
    return stream_ != nullptr ? HasKdbxTrue(attributes, "Protected") : HasTrue(attributes, "Protected");
  }

  bool InHistory() const { return std::find(stack_.begin(), stack_.end(), Element::kHistoryEntry) != stack_.end(); }

  void Start(const XML_Char* name, const XML_Char** attributes) {
    Element element = Classify(name);
    stack_.push_back(element);
    // Expat may still report the end of this element after a stop.
    if (stack_.size() > kMaxDepth) return Stop("elements are nested too deeply");
    if (revealing_) {
      revealing_ = false;
      return Stop("a protected value holds elements instead of text");
    }
    switch (element) {
      case Element::kRoot:
        seen_root_ = true;
        break;
      case Element::kGroup:
        groups_.emplace_back();
        groups_.back().recycled = groups_.size() > 1 && groups_[groups_.size() - 2].recycled;
        break;
      case Element::kEntry:
        if (!file_->CountRecord()) return Stop(kTooManyRecordsMessage);
        entry_ = groups_.back().recycled ? nullptr : &file_->Start(Position());
        if (entry_ == nullptr) ++file_->recycled_items;
        break;
      case Element::kHistoryEntry:
        if (entry_ != nullptr) ++entry_->history_entries;
        versions_.emplace_back();
        break;
      case Element::kString:
        WipeString(&key_);
        WipeString(&value_);
        break;
      case Element::kBinary:
        if (entry_ != nullptr) ++entry_->attachments;
        break;
      case Element::kRecycleBinUuid:
      case Element::kGroupName:
      case Element::kGroupUuid:
      case Element::kValue:
        value_protected_ = IsProtected(attributes);
        value_marked_ = value_protected_ || HasTrue(attributes, "ProtectInMemory");
        Collect(true);
        WipeString(&text_);
        break;
      case Element::kKey:
      case Element::kTags:
      case Element::kEntryUuid:
      case Element::kCreationTime:
      case Element::kModificationTime:
        Collect(true);
        WipeString(&text_);
        break;
      default:
        break;
    }
    // Every protected value moves the stream, those this reader has no use
    // for (attachments, recycled entries) too.
    if (stream_ != nullptr && IsProtected(attributes)) {
      revealing_ = true;
      Collect(true);
      WipeString(&text_);
    }
  }

  void End() {
    if (stack_.empty()) return;
    Element element = stack_.back();
    stack_.pop_back();
    Collect(false);
    if (revealing_) {
      revealing_ = false;
      if (!RevealProtectedValue(*stream_, &text_)) {
        WipeString(&text_);
        return Stop("a protected value is not Base64");
      }
    }
    switch (element) {
      case Element::kRecycleBinUuid:
        recycle_bin_uuid_ = text_;
        break;
      case Element::kGroupName:
        groups_.back().name = text_;
        break;
      case Element::kGroupUuid:
        if (!text_.empty() && text_ == recycle_bin_uuid_ && text_ != kNoUuid) groups_.back().recycled = true;
        break;
      case Element::kGroup:
        groups_.pop_back();
        break;
      case Element::kEntry:
        if (entry_ != nullptr) {
          entry_->group = GroupPath();
          KeepHistory();
          file_->Keep();
        }
        versions_.clear();
        entry_ = nullptr;
        break;
      case Element::kEntryUuid:
        if (entry_ != nullptr && !text_.empty()) entry_->source_id = "keepass:" + text_;
        break;
      case Element::kCreationTime:
        if (entry_ != nullptr && !InHistory()) entry_->kept.created = ReadKeepassTime(text_);
        break;
      case Element::kModificationTime:
        if (entry_ != nullptr && InHistory() && !versions_.empty()) versions_.back().modified = ReadKeepassTime(text_);
        if (entry_ != nullptr && !InHistory()) entry_->kept.modified = ReadKeepassTime(text_);
        break;
      case Element::kKey:
        key_.swap(text_);
        break;
      case Element::kValue:
        if (stream_ == nullptr && value_protected_ && LooksLikeBase64(text_)) {
          Stop(
              "the file is the inner XML of a KeePass database: its protected values are still encrypted; "
              "export the database from KeePass or KeePassXC as XML");
        }
        value_.swap(text_);
        break;
      case Element::kTags:
        if (entry_ != nullptr) TakeTags();
        break;
      case Element::kString:
        if (entry_ != nullptr && InHistory()) {
          if (key_ == "Password" && !versions_.empty()) versions_.back().password = value_;
        } else if (entry_ != nullptr) {
          TakeString();
        }
        break;
      default:
        break;
    }
    WipeString(&text_);
  }

  // The path below the top group, which is the database itself.
  std::string GroupPath() const {
    std::string path;
    for (size_t i = 1; i < groups_.size(); ++i) path += (i > 1 ? "/" : "") + groups_[i].name;
    return path;
  }

  void TakeTags() {
    entry_->tags += CountTags(text_);
    std::string_view rest(text_);
    while (!rest.empty()) {
      size_t end = rest.find_first_of(";,");
      std::string_view tag = rest.substr(0, end);
      size_t first = tag.find_first_not_of(' ');
      if (first != std::string_view::npos) tag = tag.substr(first, tag.find_last_not_of(' ') - first + 1);
      if (first != std::string_view::npos) entry_->kept.AddTag(tag);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
  }

  // Each earlier version whose password the next one changed: that password,
  // replaced when the next version was made; the last kMaxPasswordHistory.
  void KeepHistory() {
    std::vector<PasswordHistoryItem>& history = entry_->kept.history;
    for (size_t i = 0; i < versions_.size(); ++i) {
      bool last = i + 1 == versions_.size();
      std::string_view next = last ? std::string_view(entry_->password) : versions_[i + 1].password.view();
      if (versions_[i].password.empty() || versions_[i].password == next) continue;
      history.push_back({versions_[i].password, last ? entry_->kept.modified : versions_[i + 1].modified});
    }
    if (history.size() > kMaxPasswordHistory) {
      history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(kMaxPasswordHistory));
    }
  }

  void TakeString() {
    if (key_ == "Title") {
      entry_->title.swap(value_);
    } else if (key_ == "UserName") {
      entry_->user_name.swap(value_);
    } else if (key_ == "Password") {
      entry_->password.swap(value_);
    } else if (value_.empty()) {
      // Empty standard and custom fields lose nothing.
    } else if (key_ == "URL") {
      entry_->url = value_;
      entry_->kept.url = value_;
      ++entry_->urls;
    } else if (key_ == "Notes") {
      entry_->kept.notes = value_;
      ++entry_->notes;
    } else {
      entry_->kept.fields.push_back({SecretText(key_), SecretText(value_), value_marked_});
      if (key_ == "otp" || key_ == "TOTP Seed" || key_.starts_with("TimeOtp-Secret")) {
        ++entry_->totp_secrets;
      } else if (key_ != "TOTP Settings" && !key_.starts_with("TimeOtp-")) {
        ++entry_->custom_fields;
      }
    }
  }

  static constexpr size_t kMaxDepth = 256;
  // Expat copies what it is given into a buffer of its own: small pieces
  // keep that buffer small and reused, instead of a second copy of the
  // whole text (passwords and all) grown, wiped and freed.
  static constexpr size_t kMaxPiece = size_t{64} << 10;
  static constexpr char kNoUuid[] = "AAAAAAAAAAAAAAAAAAAAAA==";

  ForeignFile* file_;
  ProtectedValueStream* stream_;  // null: an export, whose values are plain
  bool revealing_ = false;        // the element being read is a protected value
  XML_Parser parser_ = nullptr;
  const char* failure_ = nullptr;
  std::vector<Element> stack_;
  std::vector<GroupState> groups_;
  ForeignEntry* entry_ = nullptr;
  std::string recycle_bin_uuid_;
  bool seen_root_ = false;
  bool collecting_ = false;
  bool value_protected_ = false;
  bool value_marked_ = false;  // protected in the file or in memory
  std::vector<EarlierVersion> versions_;
  std::string text_;
  std::string key_;
  std::string value_;
};

}  // namespace

bool ReadKeepassXml(std::string_view text, ForeignFile* file, std::string* error) {
  file->position_name = "line";
  return KeepassXmlReader(file, nullptr).Read(text, error);
}

bool ReadKdbxXml(std::string_view xml, ProtectedValueStream& stream, ForeignFile* file, std::string* error) {
  file->position_name = "entry";
  return KeepassXmlReader(file, &stream).Read(xml, error);
}

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "interchange/bitwarden_json.h"
#include "interchange/utc_time.h"
#include "core/utf8.h"
#include "core/wiping_allocator.h"

namespace {

// The lexer keeps each string it reads in a string_t: with this type those
// buffers are wiped when freed.
using Json = nlohmann::basic_json<std::map, std::vector, WipingString>;

// What a JSON container is in a Bitwarden export.
enum class Node {
  kOther,
  kRoot,
  kFolders,
  kFolder,
  kItems,
  kItem,
  kLogin,
  kUris,
  kUri,
  kFields,
  kField,
  kPasskeys,
  kHistory,
  kHistoryItem,
  kCollections,
};

constexpr int kLoginType = 1;
constexpr int kSecureNoteType = 2;
constexpr int kHiddenFieldType = 1;
// A real export nests five deep; far deeper is a wrong or hostile file.
constexpr size_t kMaxDepth = 64;

class BitwardenJsonReader : public nlohmann::json_sax<Json> {
 public:
  explicit BitwardenJsonReader(ForeignFile* file) : file_(file) {}

  // Null when the whole text was read as an unencrypted export.
  const char* Failure() const {
    if (failure_ != nullptr) return failure_;
    // A password-protected export holds its items encrypted in one string
    // under a key from the export's own password; an account-encrypted one
    // keeps the items, each field encrypted with the account's key.
    if (encrypted_ && password_protected_) {
      return "the file is a password-protected Bitwarden export, which cannot be imported; "
             "export again as unencrypted JSON";
    }
    if (encrypted_) {
      return "the file is an account-restricted Bitwarden export, which cannot be read outside Bitwarden; "
             "export again as unencrypted JSON or protected by a password";
    }
    if (!seen_items_) return "the file is not a Bitwarden JSON export (no items list)";
    return nullptr;
  }

  bool null() override { return true; }
  bool boolean(bool value) override {
    if (Here() == Node::kRoot && key_ == "encrypted") encrypted_ = value;
    if (Here() == Node::kRoot && key_ == "passwordProtected") password_protected_ = value;
    return true;
  }
  bool number_integer(number_integer_t value) override { return Number(value); }
  bool number_unsigned(number_unsigned_t value) override { return Number(static_cast<int64_t>(value)); }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }

  bool string(string_t& value) override {
    std::string_view text(value.data(), value.size());
    switch (Here()) {
      case Node::kFolder:
        if (key_ == "id") folder_id_ = text;
        if (key_ == "name") folder_name_ = text;
        break;
      case Node::kItem:
        if (key_ == "id" && !text.empty()) entry_->source_id = "bitwarden:" + std::string(text);
        if (key_ == "name") entry_->title = text;
        if (key_ == "notes" && !text.empty()) {
          ++entry_->notes;
          entry_->kept.notes = text;
        }
        if (key_ == "folderId") entry_->group = text;
        if (key_ == "creationDate") entry_->kept.created = ParseUtcTime(text);
        if (key_ == "revisionDate") entry_->kept.modified = ParseUtcTime(text);
        break;
      case Node::kLogin:
        if (key_ == "username") entry_->user_name = text;
        if (key_ == "password") entry_->password = text;
        if (key_ == "totp" && !text.empty()) {
          ++entry_->totp_secrets;
          entry_->kept.totp = text;
        }
        break;
      case Node::kUri:
        if (key_ == "uri" && !text.empty()) {
          if (entry_->urls++ == 0) {
            entry_->url = text;
            entry_->kept.url = text;
          } else {
            entry_->kept.fields.push_back({SecretText("URL " + std::to_string(entry_->urls)), SecretText(text), false});
          }
        }
        break;
      case Node::kField:
        if (key_ == "name") field_.name = text;
        if (key_ == "value") field_.value = text;
        break;
      case Node::kHistoryItem:
        if (key_ == "password") earlier_.password = text;
        if (key_ == "lastUsedDate") earlier_.replacedAt = ParseUtcTime(text);
        break;
      case Node::kCollections:
        item_collections_.emplace_back(text);
        break;
      default:
        break;
    }
    return true;
  }

  bool key(string_t& value) override {
    key_ = value;
    return true;
  }

  bool start_object(std::size_t) override {
    Node parent = Here();
    Node node = Node::kOther;
    if (nodes_.empty()) {
      node = Node::kRoot;
    } else if (parent == Node::kItems) {
      if (!file_->CountRecord()) {
        failure_ = kTooManyRecordsMessage;
        return false;
      }
      node = Node::kItem;
      item_type_ = 0;
      item_collections_.clear();
      entry_ = &file_->Start(++items_);
    } else if (parent == Node::kItem && key_ == "login") {
      node = Node::kLogin;
    } else if (parent == Node::kUris) {
      node = Node::kUri;
    } else if (parent == Node::kFields) {
      ++entry_->custom_fields;
      node = Node::kField;
      field_ = CustomField();
    } else if (parent == Node::kPasskeys) {
      ++entry_->passkeys;
    } else if (parent == Node::kHistory) {
      ++entry_->history_entries;
      node = Node::kHistoryItem;
      earlier_ = PasswordHistoryItem();
    } else if (parent == Node::kFolders) {
      node = Node::kFolder;
      folder_id_.clear();
      folder_name_.clear();
    }
    return Push(node);
  }

  bool end_object() override {
    if (Here() == Node::kItem && item_type_ != kLoginType && item_type_ != kSecureNoteType) {
      file_->Drop();
      ++file_->other_items;
    } else if (Here() == Node::kItem) {
      entry_->note_only = item_type_ == kSecureNoteType;
      auto folder = folders_.find(entry_->group);
      if (folder != folders_.end()) entry_->group = folder->second;
      std::sort(entry_->kept.history.begin(), entry_->kept.history.end(),
                [](const auto& a, const auto& b) { return a.replacedAt < b.replacedAt; });
      file_->collections.insert(item_collections_.begin(), item_collections_.end());
      file_->Keep();
    } else if (Here() == Node::kFolder && !folder_id_.empty()) {
      folders_[folder_id_] = folder_name_;
    } else if (Here() == Node::kField && !field_.name.empty()) {
      entry_->kept.fields.push_back(field_);
    } else if (Here() == Node::kHistoryItem && !earlier_.password.empty()) {
      entry_->kept.history.push_back(earlier_);
    }
    nodes_.pop_back();
    return true;
  }

  bool start_array(std::size_t) override {
    Node parent = Here();
    Node node = Node::kOther;
    if (parent == Node::kRoot && key_ == "folders") {
      node = Node::kFolders;
    } else if (parent == Node::kRoot && key_ == "items") {
      node = Node::kItems;
      seen_items_ = true;
    } else if (parent == Node::kItem && key_ == "fields") {
      node = Node::kFields;
    } else if (parent == Node::kItem && key_ == "passwordHistory") {
      node = Node::kHistory;
    } else if (parent == Node::kItem && key_ == "collectionIds") {
      node = Node::kCollections;
    } else if (parent == Node::kLogin && key_ == "uris") {
      node = Node::kUris;
    } else if (parent == Node::kLogin && key_ == "fido2Credentials") {
      node = Node::kPasskeys;
    }
    return Push(node);
  }

  bool end_array() override {
    nodes_.pop_back();
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override {
    // The library's message quotes the text it stopped at, which may be a
    // password: only the place is kept.
    error_position_ = position;
    positioned_ = true;
    if (failure_ == nullptr) failure_ = "the text is not valid JSON";
    return false;
  }

  // Where the text stopped being JSON, when that is what failed.
  bool Positioned() const { return positioned_; }
  size_t ErrorPosition() const { return error_position_; }

 private:
  Node Here() const { return nodes_.empty() ? Node::kOther : nodes_.back(); }

  bool Push(Node node) {
    if (nodes_.size() >= kMaxDepth) {
      failure_ = "the JSON is nested too deeply for a Bitwarden export";
      return false;
    }
    if (nodes_.empty() && node != Node::kRoot) {
      failure_ = "the file is not a Bitwarden JSON export (not an object)";
      return false;
    }
    nodes_.push_back(node);
    return true;
  }

  bool Number(int64_t value) {
    if (Here() == Node::kItem && key_ == "type") item_type_ = value;
    if (Here() == Node::kField && key_ == "type") field_.isProtected = value == kHiddenFieldType;
    return true;
  }

  ForeignFile* file_;
  std::vector<Node> nodes_;
  string_t key_;
  ForeignEntry* entry_ = nullptr;
  int64_t item_type_ = 0;
  std::vector<std::string> item_collections_;
  std::map<std::string, std::string> folders_;  // id to name
  std::string folder_id_;
  std::string folder_name_;
  CustomField field_;
  PasswordHistoryItem earlier_;
  size_t items_ = 0;
  bool seen_items_ = false;
  bool encrypted_ = false;
  bool password_protected_ = false;
  const char* failure_ = nullptr;
  size_t error_position_ = 0;
  bool positioned_ = false;
};

size_t LineAt(std::string_view text, size_t offset) {
  size_t line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n';
  return line;
}

}  // namespace

bool ReadBitwardenJson(std::string_view text, ForeignFile* file, std::string* error) {
  file->position_name = "item";
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  size_t bad = FindInvalidUtf8(text);
  if (bad < text.size()) {
    *error = "line " + std::to_string(LineAt(text, bad)) + ": the text is not UTF-8";
    return false;
  }
  BitwardenJsonReader reader(file);
  // The JSON parser itself: Json::sax_parse would also build the readers of
  // the binary formats, which do not take a string type of our own.
  auto input = nlohmann::detail::input_adapter(text.begin(), text.end());
  nlohmann::detail::parser<Json, decltype(input)> parser(std::move(input), nullptr, false, false);
  bool parsed = parser.sax_parse(&reader, true);
  const char* failure = reader.Failure();
  if (parsed && failure == nullptr) return true;
  *error = failure == nullptr ? "the text is not valid JSON" : failure;
  if (reader.Positioned()) *error = "line " + std::to_string(LineAt(text, reader.ErrorPosition())) + ": " + *error;
  file->Drop();
  return false;
}

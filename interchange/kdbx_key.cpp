#include "interchange/kdbx_key.h"

#include <expat.h>
#include <string.h>

#include <string_view>

#include "crypto/base64.h"
#include "crypto/sha.h"
#include "interchange/kdbx_bytes.h"
#include "interchange/wiping_expat_memory.h"

namespace {

constexpr char kDamagedKeyFile[] = "the key file is damaged: its key does not match the hash it holds";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hex with spaces and line breaks between digits allowed, as version 2.0
// key files write it; false for anything else.
bool DecodeHex(std::string_view text, WipingBytes* out) {
  out->clear();
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    int digit = HexDigit(c);
    if (digit < 0) return false;
    if (high < 0) {
      high = digit;
    } else {
      out->push_back(static_cast<uint8_t>(high << 4 | digit));
      high = -1;
    }
  }
  return high < 0 && !out->empty();
}

bool DecodeBase64(std::string_view text, WipingBytes* out) {
  WipingString compact;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact.push_back(c);
  }
  return DecodeBase64Block(compact, out);
}

// <KeyFile><Meta><Version/></Meta><Key><Data Hash="..."/></Key></KeyFile>,
// read with expat (no document type) into the three texts it holds.
class XmlKeyFile {
 public:
  ~XmlKeyFile() { explicit_bzero(data_.data(), data_.size()); }

  bool Parse(std::string_view text) {
    XML_Parser parser = XML_ParserCreate_MM("UTF-8", &kWipingExpatMemory, nullptr);
    if (parser == nullptr) return false;
    parser_ = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, Start, End);
    XML_SetCharacterDataHandler(parser, Text);
    XML_SetStartDoctypeDeclHandler(parser, Doctype);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    bool ok = text.size() < (1u << 20) &&
              XML_Parse(parser, text.data(), static_cast<int>(text.size()), true) == XML_STATUS_OK && !refused_ &&
              root_ && !version_.empty() && !data_.empty();
    XML_ParserFree(parser);
    return ok;
  }

  // False when the file is no key file of a known version; a damaged 2.0
  // key file sets damaged.
  bool Key(WipingBytes* key, bool* damaged) {
    if (version_ == "1.0" || version_ == "1.00") return DecodeBase64(data_, key);
    if (version_ != "2.0" && version_ != "2.00") return false;
    WipingBytes hash;
    if (!DecodeHex(data_, key) || (!hash_.empty() && (!DecodeHex(hash_, &hash) || hash.size() != 4))) {
      *damaged = true;
      return false;
    }
    if (hash_.empty()) return true;  // the hash is optional
    uint8_t digest[32];
    Sha256({*key}, digest);
    *damaged = memcmp(digest, hash.data(), 4) != 0;
    return !*damaged;
  }

 private:
  static void Start(void* self, const XML_Char* name, const XML_Char** attributes) {
    auto* file = static_cast<XmlKeyFile*>(self);
    std::string_view element(name);
    file->path_ += "/" + std::string(element);
    if (file->path_ == "/KeyFile") file->root_ = true;
    if (file->path_ != "/KeyFile/Key/Data") return;
    for (const XML_Char** attribute = attributes; *attribute != nullptr; attribute += 2) {
      if (std::string_view(attribute[0]) == "Hash") file->hash_ = attribute[1];
    }
  }
  static void End(void* self, const XML_Char*) {
    auto* file = static_cast<XmlKeyFile*>(self);
    file->path_.resize(file->path_.rfind('/'));
  }
  static void Text(void* self, const XML_Char* text, int size) {
    auto* file = static_cast<XmlKeyFile*>(self);
    std::string_view piece(text, static_cast<size_t>(size));
    if (file->path_ == "/KeyFile/Meta/Version") file->version_ += piece;
    if (file->path_ == "/KeyFile/Key/Data") file->data_ += piece;
  }
  static void Doctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* file = static_cast<XmlKeyFile*>(self);
    file->refused_ = true;
    XML_StopParser(file->parser_, XML_FALSE);
  }

  XML_Parser parser_ = nullptr;
  std::string path_;
  bool root_ = false;
  bool refused_ = false;
  std::string version_;
  std::string hash_;
  WipingString data_;
};

}  // namespace

bool KeyFileKey(std::span<const uint8_t> content, WipingBytes* key, std::string* error) {
  XmlKeyFile xml;
  if (xml.Parse(AsText(content))) {
    bool damaged = false;
    if (xml.Key(key, &damaged)) return true;
    if (damaged) {
      *error = kDamagedKeyFile;
      return false;
    }
  }
  if (content.size() == 32) {
    key->assign(content.begin(), content.end());
    return true;
  }
  if (content.size() == 64 && DecodeHex(AsText(content), key) && key->size() == 32) return true;
  key->assign(32, 0);
  Sha256({content}, key->data());
  return true;
}

bool CompositeKey(const FileKey& file_key, bool with_empty_password, uint8_t composite[32], std::string* error) {
  uint8_t password_hash[32];
  bool with_password = !file_key.key_file || !file_key.password.empty() || with_empty_password;
  if (with_password) Sha256({AsBytes(file_key.password.view())}, password_hash);
  WipingBytes key_file_key;
  if (file_key.key_file && !KeyFileKey(*file_key.key_file, &key_file_key, error)) return false;
  Sha256({with_password ? std::span<const uint8_t>(password_hash) : std::span<const uint8_t>(), key_file_key},
         composite);
  explicit_bzero(password_hash, sizeof password_hash);
  return true;
}

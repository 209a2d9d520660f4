// Bitwarden's password-protected JSON export: the ordinary export encrypted
// as one value under a key from the export's own password.
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "interchange/bitwarden_cipher_string.h"
#include "interchange/bitwarden_json.h"

namespace {

using Json = nlohmann::basic_json<std::map, std::vector, WipingString>;

constexpr char kWrongPassword[] = "the file's password is wrong; nothing was imported";
constexpr char kDamaged[] = "the file is damaged; nothing was imported";

// Reads only the root object's "encrypted" and "passwordProtected", and
// stops as soon as the answer is known.
class EnvelopeSniffer : public nlohmann::json_sax<Json> {
 public:
  bool Protected() const { return encrypted_ && password_protected_; }

  bool null() override { return true; }
  bool boolean(bool value) override {
    if (depth_ != 1) return true;
    if (key_ == "encrypted") encrypted_ = value;
    if (key_ == "passwordProtected") password_protected_ = value;
    bool decided = (key_ == "encrypted" || key_ == "passwordProtected") && !value;
    return !decided && !Protected();
  }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool key(string_t& value) override {
    if (depth_ == 1) key_ = value;
    return true;
  }
  bool start_object(std::size_t) override { return ++depth_ < kMaxDepth; }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override { return depth_ > 0 && ++depth_ < kMaxDepth; }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  static constexpr int kMaxDepth = 64;
  int depth_ = 0;
  string_t key_;
  bool encrypted_ = false;
  bool password_protected_ = false;
};

bool ReadNumber(const Json& envelope, const char* name, bool required, int64_t* number) {
  auto found = envelope.find(name);
  if (found == envelope.end() || found->is_null()) return !required;
  if (!found->is_number_integer()) return false;
  *number = found->get<int64_t>();
  return true;
}

const Json::string_t* ReadText(const Json& envelope, const char* name) {
  auto found = envelope.find(name);
  return found != envelope.end() && found->is_string() ? found->get_ptr<const Json::string_t*>() : nullptr;
}

bool Fail(const char* message, std::string* error) {
  *error = message;
  return false;
}

}  // namespace

bool IsProtectedBitwardenJson(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  EnvelopeSniffer sniffer;
  auto input = nlohmann::detail::input_adapter(text.begin(), text.end());
  nlohmann::detail::parser<Json, decltype(input)> parser(std::move(input), nullptr, false, false);
  parser.sax_parse(&sniffer, true);
  return sniffer.Protected();
}

bool ReadProtectedBitwardenJson(std::string_view text, const FileKey& key, ForeignFile* file, std::string* error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Json envelope = Json::parse(text.begin(), text.end(), nullptr, false);
  if (!envelope.is_object()) return Fail(kDamaged, error);
  BitwardenKdf kdf;
  const Json::string_t* salt = ReadText(envelope, "salt");
  const Json::string_t* validation = ReadText(envelope, "encKeyValidation_DO_NOT_EDIT");
  const Json::string_t* data = ReadText(envelope, "data");
  bool typed = ReadNumber(envelope, "kdfType", true, &kdf.type);
  bool argon2 = kdf.type == BitwardenKdf::kArgon2id;
  if (!typed || salt == nullptr || salt->empty() || validation == nullptr || data == nullptr ||
      !ReadNumber(envelope, "kdfIterations", true, &kdf.iterations) ||
      !ReadNumber(envelope, "kdfMemory", argon2, &kdf.memory_mib) ||
      !ReadNumber(envelope, "kdfParallelism", argon2, &kdf.parallelism)) {
    return Fail(kDamaged, error);
  }
  if (!CheckBitwardenKdf(kdf, error)) return false;
  BitwardenKeys keys;
  if (!DeriveBitwardenKeys(key.password.view(), *salt, kdf, &keys, error)) return false;
  // The validation value is a random text under the same key: a wrong
  // password fails its MAC before the data is touched.
  WipingString plain;
  switch (OpenCipherString(*validation, keys, &plain)) {
    case CipherStringResult::kOpened:
      break;
    case CipherStringResult::kMacMismatch:
      return Fail(kWrongPassword, error);
    case CipherStringResult::kMalformed:
      return Fail(kDamaged, error);
  }
  if (OpenCipherString(*data, keys, &plain) != CipherStringResult::kOpened) return Fail(kDamaged, error);
  return ReadBitwardenJson(std::string_view(plain.data(), plain.size()), file, error);
}

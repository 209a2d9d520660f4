// What Secret Service clients send, from the input: object paths, item
// attributes (NUL-separated name and value pairs) and a session's opening
// and sealed secrets. Nothing crashes; paths we make read back to what
// made them; attributes a client may store make an item that matches them;
// a session unseals what it sealed.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"
#include "secret_service/secret_session.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckPaths(std::string_view text) {
  std::string collection = CollectionPath(text);
  Require(collection.starts_with(kServicePath));
  for (char c : collection) Require(c == '/' || c == '_' || std::isalnum(static_cast<unsigned char>(c)));
  ItemIdFromPath(collection, text);
  EntryId id = EntryId::Random();
  Require(ItemIdFromPath(collection, ItemPath(collection, id)) == id);
  Require(!ItemIdFromPath(CollectionPath(std::string(text) + "x"), ItemPath(collection, id)).has_value());

  uint64_t number = 0;
  std::memcpy(&number, text.data(), std::min(text.size(), sizeof number));
  Require(SessionNumberFromPath(SessionPath(number)) == number);
  Require(PromptNumberFromPath(PromptPath(number)) == number);
  Require(!SessionNumberFromPath(PromptPath(number)).has_value());
  SessionNumberFromPath(text);
  PromptNumberFromPath(text);
}

void CheckAttributes(std::string_view text) {
  std::vector<std::string_view> parts;
  for (size_t end; (end = text.find('\0')) != std::string_view::npos; text.remove_prefix(end + 1)) {
    parts.push_back(text.substr(0, end));
  }
  parts.push_back(text);
  ItemAttributes attributes;
  for (size_t i = 0; i < parts.size(); i += 2) {
    ItemAttribute& attribute = attributes.emplace_back();
    attribute.name = parts[i];
    if (i + 1 < parts.size()) attribute.value = parts[i + 1];
  }
  if (CheckClientAttributes(attributes) != nullptr) return;
  Entry entry = NewItemEntry("label", attributes, "secret");
  bool titled = false;
  for (const ItemAttribute& attribute : attributes) titled |= attribute.name.view() == kTitleAttribute;
  if (titled) return;  // the label names the item instead
  Require(MatchesAll(entry, attributes));
  std::vector<Entry> entries{entry};
  Require(SearchEntries(entries, attributes) == std::vector<size_t>{0});
}

void CheckSession(std::span<const uint8_t> input) {
  static constexpr const char* kAlgorithms[] = {kPlainAlgorithm, kDhAesAlgorithm, "dh-ietf1024-sha256-aes128-cbc"};
  if (input.empty()) return;
  const char* algorithm = kAlgorithms[input[0] % std::size(kAlgorithms)];
  input = input.subspan(1);
  size_t opening = std::min<size_t>(input.size(), 128);
  std::vector<uint8_t> ours;
  SessionFault fault;
  auto session = SecretSession::Open(algorithm, input.first(opening), &ours, &fault);
  Require((session != nullptr) == (fault == SessionFault::kNone));
  if (session == nullptr) return;
  input = input.subspan(opening);

  size_t parameters = std::min<size_t>(input.size(), 16);
  SecretText secret;
  session->Unseal(input.first(parameters), input.subspan(parameters), &secret);

  std::string_view plain(reinterpret_cast<const char*>(input.data()), input.size());
  SealedSecret sealed;
  Require(session->Seal(plain, &sealed));
  Require(session->Unseal(sealed.parameters, sealed.value, &secret) == SessionFault::kNone && secret.view() == plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckPaths(text);
  CheckAttributes(text);
  CheckSession(std::span(data, size));
  return 0;
}

#include "safe/field_reference.h"

#include <algorithm>
#include <vector>

#include "safe/imported_id.h"

namespace {

constexpr std::string_view kOpening = "{REF:";
constexpr size_t kUuidHexSize = 2 * kEntryIdSize;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Upper(c);
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Where the next "{REF:" (in any case) starts, or npos.
size_t FindOpening(std::string_view value, size_t from) {
  for (size_t at = value.find('{', from); at != std::string_view::npos; at = value.find('{', at + 1)) {
    if (value.size() - at < kOpening.size()) return std::string_view::npos;
    bool same = true;
    for (size_t i = 1; i < kOpening.size(); ++i) same = same && Upper(value[at + i]) == kOpening[i];
    if (same) return at;
  }
  return std::string_view::npos;
}

struct Reference {
  char wanted = 0;            // T, U, P, A, N or I
  std::string_view uuid_hex;  // 32 hex digits
  size_t end = 0;             // just past the closing brace
};

// "{REF:<wanted>@I:<32 hex digits>}" at start; KeePass's other ways of
// finding the entry (by title, user name...) are not followed.
bool ParseReference(std::string_view value, size_t start, Reference* reference) {
  size_t at = start + kOpening.size();
  if (value.size() - at < 4 || value[at + 1] != '@' || Upper(value[at + 2]) != 'I' || value[at + 3] != ':') {
    return false;
  }
  reference->wanted = Upper(value[at]);
  if (std::string_view("TUPANI").find(reference->wanted) == std::string_view::npos) return false;
  size_t close = value.find('}', at + 4);
  if (close == std::string_view::npos) return false;
  reference->uuid_hex = value.substr(at + 4, close - at - 4);
  if (reference->uuid_hex.size() != kUuidHexSize ||
      !std::all_of(reference->uuid_hex.begin(), reference->uuid_hex.end(), [](char c) { return HexDigit(c) >= 0; })) {
    return false;
  }
  reference->end = close + 1;
  return true;
}

std::string BytesOfHex(std::string_view hex) {
  std::string bytes(hex.size() / 2, '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(HexDigit(hex[2 * i]) << 4 | HexDigit(hex[2 * i + 1]));
  return bytes;
}

// The 16 bytes of a KeePass UUID as its XML writes it (24 Base64 characters,
// two of them padding); empty for anything else.
std::string BytesOfBase64Uuid(std::string_view text) {
  static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.size() != 24 || !text.ends_with("==")) return {};
  std::string bytes;
  uint32_t bits = 0;
  int held = 0;
  for (char c : text.substr(0, 22)) {
    size_t value = kAlphabet.find(c);
    if (value == std::string_view::npos) return {};
    bits = bits << 6 | static_cast<uint32_t>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      bytes.push_back(static_cast<char>(bits >> held));
    }
  }
  return bytes;
}

const SecretText* FieldOf(const Entry& entry, char wanted) {
  switch (wanted) {
    case 'T':
      return &entry.title;
    case 'U':
      return &entry.userName;
    case 'P':
      return &entry.password;
    case 'A':
      return &entry.url;
    case 'N':
      return &entry.notes;
    default:
      return nullptr;
  }
}

}  // namespace

struct FieldReferences::Work {
  std::vector<const SecretText*> chain;  // the fields being resolved, outermost first
  size_t followed = 0;
};

bool HasFieldReference(std::string_view value) { return FindOpening(value, 0) != std::string_view::npos; }

bool EntryHasFieldReference(const Entry& entry) {
  for (const SecretText* text : {&entry.title, &entry.userName, &entry.password, &entry.url, &entry.notes}) {
    if (HasFieldReference(text->view())) return true;
  }
  return std::any_of(entry.fields.begin(), entry.fields.end(),
                     [](const CustomField& field) { return HasFieldReference(field.value.view()); });
}

const Entry* FieldReferences::Find(std::string_view uuid_hex) const {
  if (!indexed_) {
    indexed_ = true;
    for (size_t i = 0; i < entries_.size(); ++i) {
      const CustomField* source = entries_[i].FindField(kSourceIdField);
      if (source == nullptr || !source->value.view().starts_with(kKeepassSourcePrefix)) continue;
      std::string bytes = BytesOfBase64Uuid(source->value.view().substr(std::string_view(kKeepassSourcePrefix).size()));
      if (!bytes.empty()) index_.emplace(std::move(bytes), i);
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
      const EntryId& id = entries_[i].id;
      if (!id.IsZero()) index_.emplace(std::string(id.bytes.begin(), id.bytes.end()), i);
    }
  }
  auto found = index_.find(BytesOfHex(uuid_hex));
  return found == index_.end() ? nullptr : &entries_[found->second];
}

bool FieldReferences::Expand(std::string_view value, Work& work, SecretText* out) const {
  bool whole = true;
  size_t at = 0;
  for (size_t start = FindOpening(value, 0); start != std::string_view::npos; start = FindOpening(value, at)) {
    out->Append(value.substr(at, start - at));
    Reference reference;
    if (!ParseReference(value, start, &reference)) {
      out->Append(value.substr(start, 1));
      at = start + 1;
      continue;
    }
    const Entry* target = work.followed < kMaxReferencesResolved && work.chain.size() < kMaxReferenceDepth
                              ? Find(reference.uuid_hex)
                              : nullptr;
    ++work.followed;
    bool resolved = false;
    if (target != nullptr && reference.wanted == 'I') {
      for (char c : reference.uuid_hex) {
        char upper = Upper(c);
        out->Append(std::string_view(&upper, 1));
      }
      resolved = true;
    } else if (const SecretText* field = target == nullptr ? nullptr : FieldOf(*target, reference.wanted);
               field != nullptr && std::find(work.chain.begin(), work.chain.end(), field) == work.chain.end()) {
      work.chain.push_back(field);
      SecretText inner;
      resolved = Expand(field->view(), work, &inner) && out->size() + inner.size() <= kMaxResolvedBytes;
      work.chain.pop_back();
      if (resolved) out->Append(inner.view());
    }
    if (!resolved) out->Append(value.substr(start, reference.end - start));
    whole = whole && resolved;
    at = reference.end;
  }
  out->Append(value.substr(at));
  return whole;
}

SecretText FieldReferences::Resolve(std::string_view value) const {
  if (!HasFieldReference(value)) return SecretText(value);
  Work work;
  SecretText out;
  Expand(value, work, &out);
  return out;
}

const Entry* FieldReferences::FirstTarget(std::string_view value) const {
  for (size_t start = FindOpening(value, 0); start != std::string_view::npos; start = FindOpening(value, start + 1)) {
    Reference reference;
    if (!ParseReference(value, start, &reference)) continue;
    if (const Entry* target = Find(reference.uuid_hex)) return target;
  }
  return nullptr;
}

SecretText ResolveFieldReferences(std::string_view value, std::span<const Entry> entries) {
  return FieldReferences(entries).Resolve(value);
}

Entry WithFieldReferencesResolved(const Entry& entry, const FieldReferences& references) {
  Entry resolved = entry;
  for (SecretText* text : {&resolved.title, &resolved.userName, &resolved.password, &resolved.url, &resolved.notes}) {
    if (HasFieldReference(text->view())) *text = references.Resolve(text->view());
  }
  for (CustomField& field : resolved.fields) {
    if (HasFieldReference(field.value.view())) field.value = references.Resolve(field.value.view());
  }
  return resolved;
}

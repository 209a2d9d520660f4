#include "safe/held_changes.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <cstdint>
#include <cstring>

#include "crypto/guarded_bytes.h"
#include "crypto/sealed_bytes.h"
#include "safe/entry_records.h"

// The changes as bytes, each: the edit flag (1 byte), when it was made (8),
// the removed entries' indexes (a count, then 4 bytes each), then the
// removed and the added entries (with the deletions another copy made),
// each list as its length (8) and its records (safe/entry_records.h); integers in host order, as the bytes
// never leave this process.
namespace {

class Writer {
 public:
  explicit Writer(uint8_t* out) : out_(out) {}
  template <typename T>
  void Value(T value) {
    Bytes(&value, sizeof value);
  }
  void Entries(const std::vector<Entry>& entries, const std::vector<EntryTombstone>& tombstones = {}) {
    EntryList list;
    list.entries = entries;
    list.tombstones = tombstones;
    WipingBytes records;
    EncodeEntryList(list, records);
    Value<uint64_t>(records.size());
    Bytes(records.data(), records.size());
  }
  void Bytes(const void* data, size_t size) {
    if (out_ != nullptr && size > 0) std::memcpy(out_ + size_, data, size);
    size_ += size;
  }
  size_t Size() const { return size_; }

 private:
  uint8_t* out_;
  size_t size_ = 0;
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  template <typename T>
  bool Value(T& value) {
    if (size_ - at_ < sizeof value) return false;
    std::memcpy(&value, data_ + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool Entries(std::vector<Entry>& entries, std::vector<EntryTombstone>* tombstones = nullptr) {
    uint64_t length;
    EntryList list;
    if (!Value(length) || size_ - at_ < length || !DecodeEntryList(data_ + at_, length, list)) return false;
    at_ += length;
    entries = std::move(list.entries);
    if (tombstones != nullptr) *tombstones = std::move(list.tombstones);
    return true;
  }
  bool AtEnd() const { return at_ == size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void WriteChanges(Writer& writer, const HeldChanges::Changes& changes) {
  for (const auto& change : changes) {
    writer.Value<uint8_t>(change->isEdit ? 1 : 0);
    writer.Value<int64_t>(change->madeAt);
    writer.Value<uint32_t>(static_cast<uint32_t>(change->removedAt.size()));
    for (uint32_t index : change->removedAt) writer.Value(index);
    writer.Entries(change->removed);
    writer.Entries(change->added, change->deleted);
  }
}

bool ReadChange(Reader& reader, EntryChange& change) {
  uint8_t isEdit;
  uint32_t count;
  if (!reader.Value(isEdit) || !reader.Value(change.madeAt) || !reader.Value(count)) return false;
  change.isEdit = isEdit != 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t index;
    if (!reader.Value(index)) return false;
    change.removedAt.push_back(index);
  }
  return reader.Entries(change.removed) && change.removed.size() == count &&
         reader.Entries(change.added, &change.deleted);
}

bool ReadChanges(const uint8_t* data, size_t size, HeldChanges::Changes& changes) {
  Reader reader(data, size);
  while (!reader.AtEnd()) {
    auto change = std::make_unique<EntryChange>();
    if (!ReadChange(reader, *change)) return false;
    changes.push_back(std::move(change));
  }
  return true;
}

constexpr char kSealPurpose[] = "held changes";

const uint8_t* AsBytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// The folder's real path and the file's name: a folder reached through a
// link, or by another spelling, is the same folder.
std::string RealSafePath(const char* safePath) {
  std::string path = safePath;
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return path;
  char folder[PATH_MAX];
  std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  if (realpath(parent.c_str(), folder) == nullptr) return path;
  return std::string(folder) + path.substr(slash);
}

}  // namespace

bool HeldChanges::Hold(const char* safePath, const HeldSafeKey& key, Changes& changes) {
  Wipe();
  Writer measure(nullptr);
  WriteChanges(measure, changes);
  const size_t size = measure.Size();
  GuardedBytes plain;
  // A spare byte, so that an empty list still allocates.
  if (!plain.Allocate(size + 1)) return false;
  Writer writer(plain.Data());
  WriteChanges(writer, changes);
  std::string file = RealSafePath(safePath);
  std::vector<uint8_t> sealed(kSealSaltSize + size + kSealOverhead);
  uint8_t sealKey[kSealKeySize];
  const bool done = FillRandom(sealed.data(), kSealSaltSize) &&
                    key.DeriveSubkey(sealed.data(), kSealPurpose, sealKey) &&
                    SealBytes(sealKey, plain.Data(), size, AsBytes(file), file.size(), sealed.data() + kSealSaltSize);
  explicit_bzero(sealKey, sizeof sealKey);
  if (!done) return false;
  file_ = std::move(file);
  sealed_ = std::move(sealed);
  format_ = key.GetFormat();
  if (format_ == SafeFormat::kStrong) {
    params_ = key.GetParams();
    std::memcpy(salt_.data(), key.GetSalt(), kStrongSaltSize);
  }
  count_ = changes.size();
  changes.clear();
  return true;
}

bool HeldChanges::IsFor(const char* safePath) const { return !IsEmpty() && file_ == RealSafePath(safePath); }

bool HeldChanges::TakeFor(const char* safePath, const HeldSafeKey& key, Changes& changes) {
  if (!IsFor(safePath)) return false;
  const size_t size = sealed_.size() - kSealSaltSize - kSealOverhead;
  GuardedBytes plain;
  uint8_t sealKey[kSealKeySize];
  Changes taken;
  const bool opened = plain.Allocate(size + 1) && key.DeriveSubkey(sealed_.data(), kSealPurpose, sealKey) &&
                      OpenSealedBytes(sealKey, sealed_.data() + kSealSaltSize, sealed_.size() - kSealSaltSize,
                                      AsBytes(file_), file_.size(), plain.Data()) &&
                      ReadChanges(plain.Data(), size, taken);
  explicit_bzero(sealKey, sizeof sealKey);
  if (!opened) return false;
  for (auto& change : taken) changes.push_back(std::move(change));
  Wipe();
  return true;
}

bool HeldChanges::DeriveKeyFor(const char* password, HeldSafeKey& key) const {
  if (format_ == SafeFormat::kLegacy) return key.HoldLegacyPassword(password);
  return key.DeriveStrong(password, params_, salt_.data());
}

void HeldChanges::Wipe() {
  file_.clear();
  sealed_.clear();
  format_ = SafeFormat::kLegacy;
  params_ = {};
  salt_ = {};
  count_ = 0;
}

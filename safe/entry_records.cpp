#include "safe/entry_records.h"

#include <string.h>

#include <algorithm>
#include <string_view>

namespace {

constexpr uint8_t kEntryRecord = 0x01;
constexpr uint8_t kTombstoneRecord = 0x02;

constexpr uint8_t kIdField = 0x01;
constexpr uint8_t kCreatedField = 0x02;
constexpr uint8_t kModifiedField = 0x03;
constexpr uint8_t kTitleField = 0x10;
constexpr uint8_t kUserNameField = 0x11;
constexpr uint8_t kPasswordField = 0x12;
constexpr uint8_t kUrlField = 0x13;
constexpr uint8_t kNotesField = 0x14;
constexpr uint8_t kTotpField = 0x15;
constexpr uint8_t kTagField = 0x20;
constexpr uint8_t kCustomField = 0x30;
constexpr uint8_t kHistoryField = 0x40;

constexpr uint8_t kProtectedFlag = 0x01;
constexpr size_t kHeadSize = 5;  // a kind or type byte, then a 32-bit length
constexpr size_t kTimeSize = 8;
constexpr size_t kTombstoneSize = kEntryIdSize + kTimeSize;
constexpr size_t kMaxUnknownFieldBytes = 1024 * 1024;
constexpr size_t kMaxUnknownFields = 100;

constexpr char kUnknownFieldTooLongMessage[] = "An entry holds a field of a newer version that is too large.";

bool IsKnownKind(uint8_t kind) {
  switch (kind) {
    case kIdField:
    case kCreatedField:
    case kModifiedField:
    case kTitleField:
    case kUserNameField:
    case kPasswordField:
    case kUrlField:
    case kNotesField:
    case kTotpField:
    case kTagField:
    case kCustomField:
    case kHistoryField:
      return true;
    default:
      return false;
  }
}

// Counts the bytes an entry's fields take, or writes them: one walk over the
// fields serves both, so the size and the bytes cannot disagree.
class FieldSink {
 public:
  explicit FieldSink(uint8_t* out) : out_(out) {}

  size_t Written() const { return size_; }

  void Head(uint8_t kind, uint64_t length) {
    Byte(kind);
    Le(length, 4);
  }
  void Byte(uint8_t value) {
    if (out_ != nullptr) out_[size_] = value;
    ++size_;
  }
  void Le(uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) Byte(static_cast<uint8_t>(value >> (8 * i)));
  }
  void Bytes(const void* bytes, size_t length) {
    if (out_ != nullptr && length > 0) memcpy(out_ + size_, bytes, length);
    size_ += length;
  }
  void Text(uint8_t kind, const SecretText& text) {
    if (text.empty()) return;
    Head(kind, text.size());
    Bytes(text.c_str(), text.size());
  }
  void Time(uint8_t kind, int64_t time) {
    Head(kind, kTimeSize);
    Le(static_cast<uint64_t>(time), kTimeSize);
  }

 private:
  uint8_t* out_;
  size_t size_ = 0;
};

void EmitEntry(const Entry& entry, FieldSink& sink) {
  auto unknown = entry.unknown.begin();
  // Unknown fields sit among the known ones by kind.
  auto unknownBelow = [&](int kind) {
    for (; unknown != entry.unknown.end() && unknown->kind < kind; ++unknown) {
      sink.Head(unknown->kind, unknown->bytes.size());
      sink.Bytes(unknown->bytes.c_str(), unknown->bytes.size());
    }
  };
  unknownBelow(kIdField);
  sink.Head(kIdField, kEntryIdSize);
  sink.Bytes(entry.id.bytes.data(), kEntryIdSize);
  unknownBelow(kCreatedField);
  sink.Time(kCreatedField, entry.created);
  unknownBelow(kModifiedField);
  sink.Time(kModifiedField, entry.modified);
  const std::pair<uint8_t, const SecretText*> texts[] = {
      {kTitleField, &entry.title}, {kUserNameField, &entry.userName}, {kPasswordField, &entry.password},
      {kUrlField, &entry.url},     {kNotesField, &entry.notes},       {kTotpField, &entry.totp}};
  for (const auto& [kind, text] : texts) {
    unknownBelow(kind);
    sink.Text(kind, *text);
  }
  unknownBelow(kTagField);
  for (const SecretText& tag : entry.tags) sink.Text(kTagField, tag);
  unknownBelow(kCustomField);
  for (const CustomField& field : entry.fields) {
    sink.Head(kCustomField, 1 + 4 + field.name.size() + field.value.size());
    sink.Byte(field.isProtected ? kProtectedFlag : 0);
    sink.Le(field.name.size(), 4);
    sink.Bytes(field.name.c_str(), field.name.size());
    sink.Bytes(field.value.c_str(), field.value.size());
  }
  unknownBelow(kHistoryField);
  for (const PasswordHistoryItem& item : entry.history) {
    sink.Head(kHistoryField, kTimeSize + item.password.size());
    sink.Le(static_cast<uint64_t>(item.replacedAt), kTimeSize);
    sink.Bytes(item.password.c_str(), item.password.size());
  }
  unknownBelow(0x100);
}

size_t EntryBodySize(const Entry& entry) {
  FieldSink counter(nullptr);
  EmitEntry(entry, counter);
  return counter.Written();
}

// Reads fields and records, refusing anything out of layout or limits.
class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : at_(bytes), end_(bytes + size) {}

  bool AtEnd() const { return at_ == end_; }
  // The next head and its value's bytes.
  bool Next(uint8_t& kind, std::string_view& value) {
    if (static_cast<size_t>(end_ - at_) < kHeadSize) return false;
    kind = at_[0];
    uint64_t length = 0;
    for (int i = 0; i < 4; ++i) length |= uint64_t{at_[1 + i]} << (8 * i);
    at_ += kHeadSize;
    if (length > static_cast<size_t>(end_ - at_)) return false;
    value = std::string_view(reinterpret_cast<const char*>(at_), length);
    at_ += length;
    return true;
  }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
};

uint64_t LoadLe(std::string_view bytes, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value |= uint64_t{static_cast<uint8_t>(bytes[i])} << (8 * i);
  return value;
}

bool ReadText(std::string_view value, size_t limit, SecretText& text) {
  if (value.size() > limit || value.find('\0') != std::string_view::npos) return false;
  text = value;
  return true;
}

bool ReadId(std::string_view value, EntryId& id) {
  if (value.size() != kEntryIdSize) return false;
  memcpy(id.bytes.data(), value.data(), kEntryIdSize);
  return !id.IsZero();
}

bool ReadCustomField(std::string_view value, Entry& entry) {
  if (value.size() < 5 || entry.fields.size() >= kMaxCustomFields) return false;
  uint8_t flags = static_cast<uint8_t>(value[0]);
  uint64_t nameLength = LoadLe(value.substr(1), 4);
  if ((flags & ~kProtectedFlag) != 0 || nameLength == 0 || nameLength > value.size() - 5) return false;
  CustomField field;
  field.isProtected = (flags & kProtectedFlag) != 0;
  if (!ReadText(value.substr(5, nameLength), kMaxEntryTextBytes, field.name) ||
      !ReadText(value.substr(5 + nameLength), kMaxEntryTextBytes, field.value) ||
      entry.FindField(field.name.view()) != nullptr) {
    return false;
  }
  entry.fields.push_back(std::move(field));
  return true;
}

// Out of years 1 to 9999 only by damage or an older build's import; taken as
// the nearest, so that stamping a change past it cannot overflow.
int64_t ReadTime(std::string_view value) { return ClampEntryTime(static_cast<int64_t>(LoadLe(value, kTimeSize))); }

bool ReadField(uint8_t kind, std::string_view value, Entry& entry) {
  switch (kind) {
    case kIdField:
      return ReadId(value, entry.id);
    case kCreatedField:
    case kModifiedField:
      if (value.size() != kTimeSize) return false;
      (kind == kCreatedField ? entry.created : entry.modified) = ReadTime(value);
      return true;
    case kTitleField:
      return ReadText(value, kMaxEntryTextBytes, entry.title);
    case kUserNameField:
      return ReadText(value, kMaxEntryTextBytes, entry.userName);
    case kPasswordField:
      return ReadText(value, kMaxEntryTextBytes, entry.password);
    case kUrlField:
      return ReadText(value, kMaxEntryTextBytes, entry.url);
    case kNotesField:
      return ReadText(value, kMaxEntryNotesBytes, entry.notes);
    case kTotpField:
      return ReadText(value, kMaxEntryTextBytes, entry.totp);
    case kTagField: {
      if (value.empty() || entry.tags.size() >= kMaxEntryTags) return false;
      if (!entry.tags.empty() && !(entry.tags.back().view() < value)) return false;
      SecretText tag;
      if (!ReadText(value, kMaxEntryTextBytes, tag)) return false;
      entry.tags.push_back(std::move(tag));
      return true;
    }
    case kCustomField:
      return ReadCustomField(value, entry);
    case kHistoryField: {
      if (value.size() < kTimeSize || entry.history.size() >= kMaxPasswordHistory) return false;
      PasswordHistoryItem item;
      item.replacedAt = ReadTime(value);
      if (!ReadText(value.substr(kTimeSize), kMaxEntryTextBytes, item.password)) return false;
      entry.history.push_back(std::move(item));
      return true;
    }
    default:
      if (value.size() > kMaxUnknownFieldBytes || entry.unknown.size() >= kMaxUnknownFields) return false;
      entry.unknown.push_back({kind, SecretText(value)});
      return true;
  }
}

bool IsRepeatable(uint8_t kind) { return kind == kTagField || kind == kCustomField || kind == kHistoryField; }

bool ReadEntry(std::string_view body, Entry& entry) {
  Reader reader(reinterpret_cast<const uint8_t*>(body.data()), body.size());
  int previous = -1;
  while (!reader.AtEnd()) {
    uint8_t kind;
    std::string_view value;
    if (!reader.Next(kind, value) || kind < previous) return false;
    // Known fields other than the lists appear once; unknown ones may repeat.
    if (kind == previous && IsKnownKind(kind) && !IsRepeatable(kind)) return false;
    if (!ReadField(kind, value, entry)) return false;
    previous = kind;
  }
  return !entry.id.IsZero();
}

bool ReadTombstone(std::string_view body, EntryTombstone& tombstone) {
  if (body.size() != kTombstoneSize) return false;
  tombstone.deletedAt = ReadTime(body.substr(kEntryIdSize));
  return ReadId(body.substr(0, kEntryIdSize), tombstone.id);
}

// The ids of a list in an open-addressed table: finding a repeat among
// 100,000 ids costs a fraction of sorting them. Ids are random, so their
// first bytes are the hash; an all-zero id, never valid, marks a free slot.
class IdSet {
 public:
  explicit IdSet(size_t count) {
    size_t size = 16;
    while (size < 2 * count) size *= 2;
    slots_.resize(size);
  }
  // False when the id was there already.
  bool Insert(const EntryId& id) {
    Slot key = KeyOf(id);
    for (size_t i = key.first & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == key) return false;
      if (slots_[i] == Slot{}) {
        slots_[i] = key;
        return true;
      }
    }
  }
  bool Contains(const EntryId& id) const {
    Slot key = KeyOf(id);
    for (size_t i = key.first & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == key) return true;
      if (slots_[i] == Slot{}) return false;
    }
  }

 private:
  using Slot = std::pair<uint64_t, uint64_t>;
  static Slot KeyOf(const EntryId& id) {
    Slot key;
    memcpy(&key.first, id.bytes.data(), 8);
    memcpy(&key.second, id.bytes.data() + 8, 8);
    return key;
  }
  std::vector<Slot> slots_;
};

bool DecodeRecords(const uint8_t* bytes, size_t size, EntryList& list) {
  Reader reader(bytes, size);
  size_t records = 0;
  for (Reader counter(bytes, size); !counter.AtEnd(); ++records) {
    uint8_t type;
    std::string_view body;
    if (!counter.Next(type, body)) return false;
  }
  list.entries.reserve(records);
  while (!reader.AtEnd()) {
    uint8_t type = 0;
    std::string_view body;
    reader.Next(type, body);  // the count above checked every head
    if (type == kEntryRecord) {
      if (!ReadEntry(body, list.entries.emplace_back())) return false;
    } else if (type == kTombstoneRecord) {
      if (!ReadTombstone(body, list.tombstones.emplace_back())) return false;
    } else {
      return false;
    }
  }
  IdSet ids(list.entries.size());
  for (const Entry& entry : list.entries) {
    if (!ids.Insert(entry.id)) return false;
  }
  // Tombstones are held in the order they are written: by id.
  std::sort(list.tombstones.begin(), list.tombstones.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  auto sameId = [](const auto& a, const auto& b) { return a.id == b.id; };
  if (std::adjacent_find(list.tombstones.begin(), list.tombstones.end(), sameId) != list.tombstones.end()) return false;
  // An entry that is there wins over a tombstone of its id: nothing is lost.
  std::erase_if(list.tombstones, [&](const EntryTombstone& tombstone) { return ids.Contains(tombstone.id); });
  return true;
}

}  // namespace

const char* CheckEntryListLimits(const EntryList& list) {
  uint64_t total = list.tombstones.size() * (kHeadSize + kTombstoneSize);
  for (const Entry& entry : list.entries) {
    if (const char* why = CheckEntryLimits(entry)) return why;
    if (entry.unknown.size() > kMaxUnknownFields) return kUnknownFieldTooLongMessage;
    for (const UnknownEntryField& field : entry.unknown) {
      if (field.bytes.size() > kMaxUnknownFieldBytes) return kUnknownFieldTooLongMessage;
    }
    total += kHeadSize + EntryBodySize(entry);
  }
  return total <= kMaxEntryRecordsBytes ? nullptr : kEntryListTooLargeMessage;
}

void EncodeEntryList(const EntryList& list, WipingBytes& out) {
  std::vector<uint32_t> bodySizes;
  bodySizes.reserve(list.entries.size());
  size_t total = list.tombstones.size() * (kHeadSize + kTombstoneSize);
  for (const Entry& entry : list.entries) {
    bodySizes.push_back(static_cast<uint32_t>(EntryBodySize(entry)));
    total += kHeadSize + bodySizes.back();
  }
  out.clear();
  out.resize(total);
  FieldSink sink(out.data());
  for (size_t i = 0; i < list.entries.size(); ++i) {
    sink.Head(kEntryRecord, bodySizes[i]);
    EmitEntry(list.entries[i], sink);
  }
  std::vector<const EntryTombstone*> tombstones;
  for (const EntryTombstone& tombstone : list.tombstones) tombstones.push_back(&tombstone);
  std::sort(tombstones.begin(), tombstones.end(), [](auto a, auto b) { return a->id < b->id; });
  for (const EntryTombstone* tombstone : tombstones) {
    sink.Head(kTombstoneRecord, kTombstoneSize);
    sink.Bytes(tombstone->id.bytes.data(), kEntryIdSize);
    sink.Le(static_cast<uint64_t>(tombstone->deletedAt), kTimeSize);
  }
}

bool DecodeEntryList(const uint8_t* bytes, size_t size, EntryList& list) {
  list = EntryList();
  if (DecodeRecords(bytes, size, list)) return true;
  list = EntryList();
  return false;
}

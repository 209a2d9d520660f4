#include "safe/held_changes.h"

#include <limits.h>
#include <sodium.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>

// The changes as bytes, each: the edit flag (1 byte), the removed lines
// (count, then index, length and bytes each), the added lines (count, then
// length and bytes each); integers are 4 bytes in host order, as the bytes
// never leave this process.
namespace {

class Writer {
 public:
  explicit Writer(uint8_t* out) : out_(out) {}
  void Word(uint32_t value) { Bytes(&value, sizeof value); }
  void Line(const char* line) {
    uint32_t length = static_cast<uint32_t>(std::strlen(line));
    Word(length);
    Bytes(line, length);
  }
  void Bytes(const void* data, size_t size) {
    if (out_ != nullptr) std::memcpy(out_ + size_, data, size);
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
  bool Word(uint32_t& value) { return Take(&value, sizeof value); }
  bool Byte(uint8_t& value) { return Take(&value, 1); }
  // Into a heap string that the caller wipes.
  bool Line(std::string& line) {
    uint32_t length;
    if (!Word(length) || size_ - at_ < length) return false;
    line.assign(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return true;
  }
  bool AtEnd() const { return at_ == size_; }

 private:
  bool Take(void* out, size_t size) {
    if (size_ - at_ < size) return false;
    std::memcpy(out, data_ + at_, size);
    at_ += size;
    return true;
  }
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void WriteChanges(Writer& writer, const HeldChanges::Changes& changes) {
  for (const auto& change : changes) {
    uint8_t isEdit = change->isEdit ? 1 : 0;
    writer.Bytes(&isEdit, 1);
    writer.Word(change->removed.GetCount());
    for (uint32_t i = 0; i < change->removed.GetCount(); ++i) {
      writer.Word(change->removedAt[i]);
      writer.Line(change->removed.GetAt(i));
    }
    writer.Word(change->added.GetCount());
    for (uint32_t i = 0; i < change->added.GetCount(); ++i) writer.Line(change->added.GetAt(i));
  }
}

bool ReadChange(Reader& reader, EntryChange& change, std::string& line) {
  uint8_t isEdit;
  uint32_t count;
  if (!reader.Byte(isEdit) || !reader.Word(count)) return false;
  change.isEdit = isEdit != 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t index;
    if (!reader.Word(index) || !reader.Line(line) || !change.Remove(index, line.c_str())) return false;
  }
  if (!reader.Word(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!reader.Line(line) || !change.Add(line.c_str())) return false;
  }
  return true;
}

bool ReadChanges(const uint8_t* data, size_t size, HeldChanges::Changes& changes) {
  Reader reader(data, size);
  std::string line;
  bool ok = true;
  while (ok && !reader.AtEnd()) {
    auto change = std::make_unique<EntryChange>();
    ok = ReadChange(reader, *change, line);
    if (ok) changes.push_back(std::move(change));
  }
  sodium_memzero(line.data(), line.size());
  return ok;
}

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

bool HeldChanges::Hold(const char* safePath, Changes& changes) {
  Wipe();
  Writer measure(nullptr);
  WriteChanges(measure, changes);
  // A spare byte, so that an empty list still allocates.
  if (!bytes_.Allocate(measure.Size() + 1)) return false;
  Writer writer(bytes_.Data());
  WriteChanges(writer, changes);
  file_ = RealSafePath(safePath);
  count_ = changes.size();
  changes.clear();
  return true;
}

bool HeldChanges::IsFor(const char* safePath) const { return !IsEmpty() && file_ == RealSafePath(safePath); }

bool HeldChanges::TakeFor(const char* safePath, Changes& changes) {
  Changes taken;
  if (!IsFor(safePath) || !ReadChanges(bytes_.Data(), bytes_.Size() - 1, taken)) return false;
  for (auto& change : taken) changes.push_back(std::move(change));
  Wipe();
  return true;
}

void HeldChanges::Wipe() {
  file_.clear();
  bytes_.Release();
  count_ = 0;
}

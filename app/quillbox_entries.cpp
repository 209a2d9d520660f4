#include <cstring>
#include <memory>
#include <new>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "core/heapstring.h"
#include "safe/entry_merge.h"
#include "safe/safe_store.h"

namespace {

constexpr size_t kMaxEntryFieldLength = kEntryFieldCapacity - 1;

char* FormatEntryLine(const char* description, const char* userName, const char* password) {
  return FormatString("%s\t%s\t%s", description, userName, password);
}

}  // namespace

const char* Quillbox::CheckEntryFields(const char* description, const char* userName, const char* password) {
  for (const char* field : {description, userName, password}) {
    if (field == nullptr) return kEntryFieldSeparatorMessage;
    if (std::strpbrk(field, "\t\r\n") != nullptr) return kEntryFieldSeparatorMessage;
    if (std::strlen(field) > kMaxEntryFieldLength) return kEntryFieldTooLongMessage;
  }
  return nullptr;
}

bool Quillbox::AddEntry(const char* description, const char* userName, const char* password) {
  if (!loggedIn_ || CheckEntryFields(description, userName, password) != nullptr) return false;
  char* line = FormatEntryLine(description, userName, password);
  if (line == nullptr) return false;
  auto change = std::make_unique<EntryChange>();
  bool built = change->Add(line);
  WipeAndFree(line);
  return built && MakeChange(std::move(change));
}

bool Quillbox::EditEntry(int index, const char* description, const char* userName, const char* password) {
  if (index < 0 || static_cast<uint32_t>(index) >= entries_.GetCount()) return false;
  if (CheckEntryFields(description, userName, password) != nullptr) return false;
  char* line = FormatEntryLine(description, userName, password);
  if (line == nullptr) return false;
  auto change = std::make_unique<EntryChange>();
  change->isEdit = true;
  bool built =
      change->Remove(static_cast<uint32_t>(index), entries_.GetAt(static_cast<uint32_t>(index))) && change->Add(line);
  WipeAndFree(line);
  return built && MakeChange(std::move(change));
}

bool Quillbox::AppendEntries(cpStringArray& lines) {
  if (!loggedIn_) return false;
  auto change = std::make_unique<EntryChange>();
  for (uint32_t i = 0; i < lines.GetCount(); ++i) {
    if (!change->Add(lines.GetAt(i))) return false;
  }
  const EntryChange* made = change.get();
  if (!ApplyChange(std::move(change))) return false;
  if (CommitPending() == CommitResult::kSaved) return true;
  // An import that could not be saved is not kept for a later save: the
  // user was told nothing was imported.
  EntryChange undo;
  for (uint32_t i = 0; i < made->added.GetCount(); ++i) undo.Remove(entries_.GetCount(), made->added.GetAt(i));
  if (!pending_.empty() && pending_.back().get() == made) pending_.pop_back();
  ApplyEntryChange(entries_, undo);
  RefreshView();
  if (pending_.empty() && failureShown_) {
    failureShown_ = false;
    ShowStatus("");
  }
  return false;
}

void Quillbox::DeleteSelectedEntries(OwnerWindow owner) {
  if (!loggedIn_ || view_ == nullptr) return;
  int rows = view_->GetRowCount();
  bool anySelected = false;
  for (int row = 0; row < rows && !anySelected; ++row) anySelected = view_->IsRowSelected(row);
  if (!anySelected) return;
  if (Ask(owner, kDeleteEntriesQuestion, kDeleteEntriesCaption, kMbYesNo | kMbIconWarning) != kIdYes) {
    return;
  }
  uint32_t count = entries_.GetCount();
  std::unique_ptr<bool[]> marked(new (std::nothrow) bool[count + 1]());
  if (marked == nullptr) return;
  for (int row = 0; row < rows; ++row) {
    if (!view_->IsRowSelected(row)) continue;
    int index;
    // A row that cannot be read, or names no entry, stops the whole deletion.
    if (!view_->GetRowEntryIndex(row, index) || index < 0 || static_cast<uint32_t>(index) >= count) {
      return;
    }
    marked[index] = true;
  }
  auto change = std::make_unique<EntryChange>();
  for (uint32_t i = 0; i < count; ++i) {
    if (marked[i] && !change->Remove(i, entries_.GetAt(i))) return;
  }
  MakeChange(std::move(change));
}

bool Quillbox::GetEntryFields(int index, char* description, char* userName, char* password) const {
  if (index < 0) return false;
  const char* line = entries_.GetAt(static_cast<uint32_t>(index));
  if (line == nullptr) return false;
  char* fields[] = {description, userName, password};
  for (char* field : fields) field[0] = '\0';
  for (char* field : fields) {
    size_t length = std::strcspn(line, "\t");
    size_t kept = length < kMaxEntryFieldLength ? length : kMaxEntryFieldLength;
    std::memcpy(field, line, kept);
    field[kept] = '\0';
    if (line[length] == '\0') break;
    line += length + 1;
  }
  return true;
}

#include "interchange/foreign_entry.h"

#include <string.h>

ForeignEntry::~ForeignEntry() {
  for (std::string* text : {&title, &user_name, &password, &url, &group, &source_id}) WipeString(text);
}

ForeignEntry& ForeignFile::Start(size_t position) {
  current_.clear();
  ForeignEntry& entry = current_.emplace_back();
  entry.position = position;
  return entry;
}

void ForeignFile::Keep() {
  if (current_.empty()) return;
  sink_->Take(current_.back(), *this);
  current_.clear();
}

void ForeignFile::Drop() { current_.clear(); }

void ForeignFile::AddMalformed(size_t position, std::string reason) {
  if (malformed_rows++ < kMaxKeptProblems) malformed.push_back({position, std::move(reason)});
}

void AppendSecret(std::string* text, std::string_view more) {
  size_t needed = text->size() + more.size();
  if (needed > text->capacity()) {
    std::string larger;
    larger.reserve(needed < 64 ? 64 : 2 * needed);
    larger.append(*text);
    WipeString(text);
    text->swap(larger);
  }
  text->append(more);
}

void WipeString(std::string* text) {
  explicit_bzero(text->data(), text->capacity());
  text->clear();
}

#include "interchange/foreign_entry.h"

#include <string.h>

ForeignEntry::~ForeignEntry() {
  for (std::string* text : {&title, &user_name, &password, &url, &group}) WipeString(text);
}

ForeignEntry& ForeignFile::Add(size_t position) {
  ForeignEntry& entry = entries.emplace_back();
  entry.position = position;
  return entry;
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

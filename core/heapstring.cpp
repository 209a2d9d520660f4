#include "core/heapstring.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

#include "core/cpstringarray.h"

char* FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char* text = nullptr;
  FormatStringV(&text, 64, format, args);
  va_end(args);
  return text;
}

// An attempt's buffer may hold the start of a password (entry lines are
// formatted here), so it is wiped before release.
static void ReleaseAttempt(char* buffer, size_t size) {
  if (buffer == nullptr) return;
  explicit_bzero(buffer, size);
  free(buffer);
}

int FormatStringV(char** out, size_t startSize, const char* format, va_list args) {
  if (out == nullptr) return -1;
  *out = nullptr;
  size_t size = startSize > 0 ? startSize : 1;
  char* buffer = nullptr;
  size_t bufferSize = 0;
  for (;;) {
    ReleaseAttempt(buffer, bufferSize);
    buffer = static_cast<char*>(malloc(size));
    if (buffer == nullptr) return -1;
    bufferSize = size;
    va_list attempt;
    va_copy(attempt, args);
    const int written = vsnprintf(buffer, size, format, attempt);
    va_end(attempt);
    buffer[size - 1] = '\0';
    // C99 formatters report the needed length when the text does not
    // fit; a negative count is a real formatting error, not a size hint.
    if (written >= 0 && static_cast<size_t>(written) < size) {
      *out = buffer;
      return written;
    }
    if (written < 0 || size > SIZE_MAX / 2) {
      ReleaseAttempt(buffer, bufferSize);
      return -1;
    }
    size *= 2;
  }
}

char* DupBytes(const void* data, size_t length) {
  if (data == nullptr && length > 0) return nullptr;
  if (length == SIZE_MAX) return nullptr;
  char* copy = static_cast<char*>(malloc(length + 1));
  if (copy == nullptr) return nullptr;
  if (length > 0) memcpy(copy, data, length);
  copy[length] = '\0';
  return copy;
}

static void ReplaceInPlace(char* text, const char* from, size_t fromLength, const char* to, size_t toLength) {
  char* write = text;
  const char* read = text;
  const char* hit;
  while ((hit = strstr(read, from)) != nullptr) {
    const size_t stretch = static_cast<size_t>(hit - read);
    memmove(write, read, stretch);
    write += stretch;
    memcpy(write, to, toLength);
    write += toLength;
    read = hit + fromLength;
  }
  memmove(write, read, strlen(read) + 1);
}

bool ReplaceAll(char** text, const char* from, const char* to) {
  if (text == nullptr || *text == nullptr || from == nullptr || *from == '\0') return true;
  if (to == nullptr) to = "";
  const size_t fromLength = strlen(from);
  const size_t toLength = strlen(to);
  if (toLength <= fromLength) {
    ReplaceInPlace(*text, from, fromLength, to, toLength);
    return true;
  }
  // The pieces may be parts of a secret; wipe them on release.
  cpStringArray pieces;
  pieces.SetWipeOnRelease(true);
  if (!pieces.Split(*text, from)) return false;
  char* joined = pieces.Join(to);
  if (joined == nullptr) return false;
  WipeAndFree(*text);
  *text = joined;
  return true;
}

bool NormalizeLineEnds(char** text, const char* lineEnd) {
  if (!ReplaceAll(text, "\r\n", "\n") || !ReplaceAll(text, "\r", "\n")) return false;
  if (lineEnd == nullptr || strcmp(lineEnd, "\n") == 0) return true;
  return ReplaceAll(text, "\n", lineEnd);
}

bool IsTrimSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void TrimLeft(char* text) {
  if (text == nullptr || !IsTrimSpace(*text)) return;
  const char* rest = text;
  while (IsTrimSpace(*rest)) ++rest;
  memmove(text, rest, strlen(rest) + 1);
}

void TrimRight(char* text) {
  if (text == nullptr) return;
  size_t length = strlen(text);
  while (length > 0 && IsTrimSpace(text[length - 1])) text[--length] = '\0';
}

void FreeString(char* text) { free(text); }

void WipeAndFree(char* text) {
  if (text == nullptr) return;
  // The whole block: in-place edits and trims leave old bytes past the NUL.
  explicit_bzero(text, malloc_usable_size(text));
  free(text);
}

#include "health/breach_list.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/whole_file.h"

#include "crypto/sha.h"

namespace {

constexpr size_t kDigestSize = 20;
constexpr size_t kHexSize = 2 * kDigestSize;
// A hash, a colon, a 64-bit count and CR LF fit well inside this; a longer
// run without a line break is no breach list.
constexpr size_t kMaxLineBytes = 128;
// Lines checked when the file opens: a file in another order (the
// "ordered by prevalence" download, a shuffled one) fails here at once.
// Each costs a page read, as much as a look-up, so they stay few; the
// lines a look-up meets are checked as it goes.
constexpr size_t kSampledLines = 128;
// Evenly spread hashes take about log2(log2(lines)) of them: 5 for the
// whole list of a billion.
constexpr int kInterpolatedProbes = 8;

using Digest = std::array<uint8_t, kDigestSize>;

// A hash's first 8 bytes as a number, for the interpolation.
long double Key(const Digest& hash) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i) key = key << 8 | hash[i];
  return static_cast<long double>(key);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The line at the start of text, of which limit bytes are at hand; a line
// without a break is whole only when it ends the file.
bool ParseLine(const char* text, size_t limit, bool endsFile, size_t* length, Digest* hash, uint64_t* count) {
  const char* newline = static_cast<const char*>(memchr(text, '\n', limit));
  if (newline == nullptr && !endsFile) return false;
  size_t used = newline != nullptr ? static_cast<size_t>(newline - text) : limit;
  *length = used + (newline != nullptr ? 1 : 0);
  if (used > 0 && text[used - 1] == '\r') --used;
  if (used < kHexSize + 2 || text[kHexSize] != ':') return false;
  for (size_t i = 0; i < kDigestSize; ++i) {
    int high = HexValue(text[2 * i]);
    int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    (*hash)[i] = static_cast<uint8_t>(high << 4 | low);
  }
  uint64_t number = 0;
  for (size_t i = kHexSize + 1; i < used; ++i) {
    if (text[i] < '0' || text[i] > '9' || number > (UINT64_MAX - 9) / 10) return false;
    number = number * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  *count = number;
  return true;
}

}  // namespace

struct BreachList::Line {
  size_t start = 0;
  size_t next = 0;  // the following line's start, or the file's size
  Digest hash{};
  uint64_t count = 0;
};

BreachList::~BreachList() { Close(); }

void BreachList::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  size_ = 0;
}

std::string BreachList::Open(const std::string& path) {
  Close();
  path_ = path;
  int fd = -1;
  uint64_t size = 0;
  const FileReadResult opened = OpenForReading(path.c_str(), {.maxBytes = SIZE_MAX}, &fd, &size);
  if (opened.status == FileReadStatus::kCannotOpen) {
    if (opened.error == ENOENT) return "The breach list " + path + " does not exist.";
    return "The breach list " + path + " cannot be read: " + strerror(opened.error) + ".";
  }
  if (!opened) return "The breach list " + path + " is not a file.";
  if (size == 0) {
    close(fd);
    return "The breach list " + path + " is empty.";
  }
  // Look-ups read a few bytes here and there: read-ahead would only fill the cache.
  posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
  fd_ = fd;
  size_ = static_cast<size_t>(size);
  std::string error = CheckSampledLines();
  if (!error.empty()) Close();
  return error;
}

std::string BreachList::Failed(LineRead why, size_t offset) const {
  if (why == LineRead::kCutShort) {
    return "The breach list " + path_ + " was cut short or could not be read while it was searched.";
  }
  return "The breach list " + path_ +
         " has a line that is not HASH:COUNT (a SHA-1 hash in hex, a colon, a count) at byte " +
         std::to_string(offset) + ".";
}

std::string BreachList::Unsorted() const {
  return "The breach list " + path_ + " is not sorted by hash (LC_ALL=C sort puts it in order).";
}

bool BreachList::ReadBytes(size_t start, size_t count, char* buffer) const {
  while (count > 0) {
    ssize_t got = pread(fd_, buffer, count, static_cast<off_t>(start));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer += got;
    start += static_cast<size_t>(got);
    count -= static_cast<size_t>(got);
  }
  return true;
}

BreachList::LineRead BreachList::ReadLineAt(size_t start, Line* line) const {
  char text[kMaxLineBytes];
  size_t limit = std::min(size_ - start, kMaxLineBytes);
  line->start = start;
  if (!ReadBytes(start, limit, text)) return LineRead::kCutShort;
  size_t length = 0;
  if (!ParseLine(text, limit, start + limit == size_, &length, &line->hash, &line->count)) return LineRead::kMalformed;
  line->next = start + length;
  return LineRead::kOk;
}

BreachList::LineRead BreachList::ReadLineAround(size_t pos, size_t floor, Line* line) const {
  // One read takes the line's start before pos and its end after it.
  char text[2 * kMaxLineBytes];
  const size_t lowest = pos - std::min(pos - floor, kMaxLineBytes);
  const size_t end = std::min(size_, pos + kMaxLineBytes);
  line->start = lowest;
  if (!ReadBytes(lowest, end - lowest, text)) return LineRead::kCutShort;
  const void* newline = memrchr(text, '\n', pos - lowest);
  if (newline == nullptr && lowest != floor) return LineRead::kMalformed;
  const size_t skipped = newline != nullptr ? static_cast<size_t>(static_cast<const char*>(newline) - text) + 1 : 0;
  const size_t limit = std::min(end - lowest - skipped, kMaxLineBytes);
  line->start = lowest + skipped;
  size_t length = 0;
  if (!ParseLine(text + skipped, limit, line->start + limit == size_, &length, &line->hash, &line->count)) {
    return LineRead::kMalformed;
  }
  line->next = line->start + length;
  return LineRead::kOk;
}

std::string BreachList::CheckSampledLines() const {
  Line previous, before, line, after;
  bool first = true;
  for (size_t i = 0; i <= kSampledLines; ++i) {
    size_t pos = static_cast<size_t>(static_cast<unsigned __int128>(size_ - 1) * i / kSampledLines);
    if (LineRead read = ReadLineAround(pos, 0, &line); read != LineRead::kOk) return Failed(read, line.start);
    if (!first && line.start == previous.start) continue;
    // The sampled line's neighbours are checked too: a small file is
    // checked whole, and two neighbours out of order are found wherever the
    // samples fall near them.
    const bool hasBefore = line.start > 0, hasAfter = line.next < size_;
    if (hasBefore) {
      if (LineRead read = ReadLineAround(line.start - 1, 0, &before); read != LineRead::kOk) {
        return Failed(read, before.start);
      }
    }
    if (hasAfter) {
      if (LineRead read = ReadLineAt(line.next, &after); read != LineRead::kOk) return Failed(read, line.next);
    }
    if (hasBefore && memcmp(before.hash.data(), line.hash.data(), kDigestSize) >= 0) return Unsorted();
    if (hasAfter && memcmp(line.hash.data(), after.hash.data(), kDigestSize) >= 0) return Unsorted();
    if (!first && memcmp(previous.hash.data(), line.hash.data(), kDigestSize) >= 0) return Unsorted();
    previous = line;
    first = false;
  }
  return "";
}

BreachList::Lookup BreachList::Find(const SecretText& password) const {
  Lookup result;
  if (fd_ < 0) return result;
  Digest digest;
  Sha1({{reinterpret_cast<const uint8_t*>(password.c_str()), password.size()}}, digest.data());
  // Every line met lies between the nearest ones below and above the
  // digest seen so far, else the file is out of order there.
  Digest below{}, above{};
  bool haveBelow = false, haveAbove = false;
  Line line;
  size_t low = 0, high = size_;
  int probes = 0;
  while (low < high) {
    // SHA-1 hashes spread evenly, so the digest's place between the
    // bounds' hashes points close to its line: a few probes, a few pages.
    // Past kInterpolatedProbes the search halves, so an uneven file costs
    // at most that many probes more than a binary search.
    const size_t range = high - low;
    size_t probe = low + range / 2;
    const long double lowKey = haveBelow ? Key(below) : 0.0L;
    const long double highKey = haveAbove ? Key(above) : 18446744073709551616.0L;
    // Bounds that share their first 8 bytes leave nothing to interpolate by.
    if (probes++ < kInterpolatedProbes && highKey > lowKey) {
      const long double fraction = (Key(digest) - lowKey) / (highKey - lowKey);
      probe = low + std::min(range - 1, static_cast<size_t>(fraction * static_cast<long double>(range)));
    }
    if (LineRead read = ReadLineAround(probe, low, &line); read != LineRead::kOk) {
      result.error = Failed(read, line.start);
      break;
    }
    if ((haveBelow && memcmp(line.hash.data(), below.data(), kDigestSize) <= 0) ||
        (haveAbove && memcmp(line.hash.data(), above.data(), kDigestSize) >= 0)) {
      result.error = Unsorted();
      break;
    }
    int order = memcmp(line.hash.data(), digest.data(), kDigestSize);
    if (order == 0) {
      result.count = line.count;
      break;
    }
    if (order < 0) {
      below = line.hash;
      haveBelow = true;
      low = line.next;
    } else {
      above = line.hash;
      haveAbove = true;
      high = line.start;
    }
  }
  explicit_bzero(digest.data(), digest.size());
  explicit_bzero(line.hash.data(), line.hash.size());
  explicit_bzero(below.data(), below.size());
  explicit_bzero(above.data(), above.size());
  return result;
}

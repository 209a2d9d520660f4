#include "health/breach_list.h"

#include <errno.h>
#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

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

}  // namespace

struct BreachList::Line {
  size_t start = 0;
  size_t next = 0;  // the following line's start, or the file's size
  Digest hash{};
  uint64_t count = 0;
};

BreachList::~BreachList() { Close(); }

void BreachList::Close() {
  if (data_ != nullptr) munmap(const_cast<char*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
}

std::string BreachList::Open(const std::string& path) {
  Close();
  path_ = path;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return "The breach list " + path + " does not exist.";
    return "The breach list " + path + " cannot be read: " + strerror(errno) + ".";
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return "The breach list " + path + " is not a file.";
  }
  if (info.st_size == 0) {
    close(fd);
    return "The breach list " + path + " is empty.";
  }
  void* mapped = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
  int mapError = errno;
  close(fd);
  if (mapped == MAP_FAILED) return "The breach list " + path + " cannot be read: " + strerror(mapError) + ".";
  // Look-ups touch a few pages each: read-ahead would only fill the cache.
  madvise(mapped, static_cast<size_t>(info.st_size), MADV_RANDOM);
  data_ = static_cast<const char*>(mapped);
  size_ = static_cast<size_t>(info.st_size);
  std::string error = CheckSampledLines();
  if (!error.empty()) Close();
  return error;
}

std::string BreachList::Malformed(size_t offset) const {
  return "The breach list " + path_ +
         " has a line that is not HASH:COUNT (a SHA-1 hash in hex, a colon, a count) at byte " +
         std::to_string(offset) + ".";
}

std::string BreachList::Unsorted() const {
  return "The breach list " + path_ + " is not sorted by hash (LC_ALL=C sort puts it in order).";
}

bool BreachList::ReadLineAt(size_t start, Line* line) const {
  size_t limit = std::min(size_ - start, kMaxLineBytes);
  const char* text = data_ + start;
  line->start = start;
  const char* newline = static_cast<const char*>(memchr(text, '\n', limit));
  if (newline == nullptr && start + limit != size_) return false;
  size_t length = newline != nullptr ? static_cast<size_t>(newline - text) : limit;
  line->next = start + length + (newline != nullptr ? 1 : 0);
  if (length > 0 && text[length - 1] == '\r') --length;
  if (length < kHexSize + 2 || text[kHexSize] != ':') return false;
  for (size_t i = 0; i < kDigestSize; ++i) {
    int high = HexValue(text[2 * i]);
    int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    line->hash[i] = static_cast<uint8_t>(high << 4 | low);
  }
  uint64_t count = 0;
  for (size_t i = kHexSize + 1; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9' || count > (UINT64_MAX - 9) / 10) return false;
    count = count * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  line->count = count;
  return true;
}

bool BreachList::ReadLineAround(size_t pos, size_t floor, Line* line) const {
  const size_t lowest = pos - std::min(pos - floor, kMaxLineBytes);
  const void* newline = memrchr(data_ + lowest, '\n', pos - lowest);
  if (newline == nullptr && lowest != floor) {
    line->start = lowest;
    return false;
  }
  return ReadLineAt(newline != nullptr ? static_cast<size_t>(static_cast<const char*>(newline) - data_) + 1 : floor,
                    line);
}

std::string BreachList::CheckSampledLines() const {
  Line previous, before, line, after;
  bool first = true;
  for (size_t i = 0; i <= kSampledLines; ++i) {
    size_t pos = static_cast<size_t>(static_cast<unsigned __int128>(size_ - 1) * i / kSampledLines);
    if (!ReadLineAround(pos, 0, &line)) return Malformed(line.start);
    if (!first && line.start == previous.start) continue;
    // The sampled line's neighbours are checked too: a small file is
    // checked whole, and two neighbours out of order are found wherever the
    // samples fall near them.
    const bool hasBefore = line.start > 0, hasAfter = line.next < size_;
    if (hasBefore && !ReadLineAround(line.start - 1, 0, &before)) return Malformed(before.start);
    if (hasAfter && !ReadLineAt(line.next, &after)) return Malformed(line.next);
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
  if (data_ == nullptr) return result;
  Digest digest;
  unsigned int digestSize = 0;
  EVP_Digest(password.c_str(), password.size(), digest.data(), &digestSize, EVP_sha1(), nullptr);
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
    if (probes++ < kInterpolatedProbes) {
      const long double lowKey = haveBelow ? Key(below) : 0.0L;
      const long double highKey = haveAbove ? Key(above) : 18446744073709551616.0L;
      const long double fraction = (Key(digest) - lowKey) / (highKey - lowKey);
      probe = low + std::min(range - 1, static_cast<size_t>(fraction * static_cast<long double>(range)));
    }
    if (!ReadLineAround(probe, low, &line)) {
      result.error = Malformed(line.start);
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
  OPENSSL_cleanse(digest.data(), digest.size());
  OPENSSL_cleanse(line.hash.data(), line.hash.size());
  OPENSSL_cleanse(below.data(), below.size());
  OPENSSL_cleanse(above.data(), above.size());
  return result;
}

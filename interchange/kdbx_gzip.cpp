#include "interchange/kdbx_gzip.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace {

constexpr int kGzipWindow = 16 + MAX_WBITS;
constexpr size_t kMaxInflated = size_t{1} << 30;

}  // namespace

size_t MaxInflatedSize(size_t compressed_size) {
  size_t generous = compressed_size > kMaxInflated / 256 ? kMaxInflated : compressed_size * 256;
  return std::clamp(generous, size_t{1} << 20, kMaxInflated);
}

bool Gunzip(std::span<const uint8_t> compressed, WipingBytes* out, std::string* error) {
  z_stream stream{};
  if (inflateInit2(&stream, kGzipWindow) != Z_OK || compressed.size() > UINT_MAX) {
    *error = "the database's payload cannot be decompressed";
    return false;
  }
  size_t limit = MaxInflatedSize(compressed.size());
  stream.next_in = const_cast<Bytef*>(compressed.data());
  stream.avail_in = static_cast<uInt>(compressed.size());
  out->clear();
  int result = Z_OK;
  while (result == Z_OK) {
    if (out->size() == limit) {
      inflateEnd(&stream);
      *error = "the database's payload inflates past " + std::to_string(limit >> 20) +
               " MiB, more than a database of its size holds; it was not read";
      return false;
    }
    size_t written = out->size();
    size_t room = std::min(limit - written, std::max<size_t>(written, 1 << 16));
    out->resize(written + room);
    stream.next_out = out->data() + written;
    stream.avail_out = static_cast<uInt>(room);
    result = inflate(&stream, Z_NO_FLUSH);
    out->resize(written + room - stream.avail_out);
    if (result == Z_BUF_ERROR && stream.avail_out == 0) result = Z_OK;
  }
  inflateEnd(&stream);
  if (result != Z_STREAM_END) {
    *error = "the database is damaged: its compressed payload does not inflate";
    return false;
  }
  return true;
}

bool Gzip(std::span<const uint8_t> plain, WipingBytes* out) {
  z_stream stream{};
  if (plain.size() > UINT_MAX / 2 ||
      deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  out->resize(deflateBound(&stream, plain.size()) + 32);
  stream.next_in = const_cast<Bytef*>(plain.data());
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = out->data();
  stream.avail_out = static_cast<uInt>(out->size());
  int result = deflate(&stream, Z_FINISH);
  out->resize(out->size() - stream.avail_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

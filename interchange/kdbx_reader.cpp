#include <string.h>

#include "crypto/base64.h"
#include "crypto/sha.h"
#include "interchange/kdbx.h"
#include "interchange/kdbx_bytes.h"
#include "interchange/kdbx_gzip.h"
#include "interchange/kdbx_hashed_blocks.h"
#include "interchange/kdbx_hmac_blocks.h"
#include "interchange/kdbx_inner_header.h"
#include "interchange/kdbx_inner_stream.h"
#include "interchange/kdbx_key.h"
#include "interchange/kdbx_open.h"
#include "interchange/kdbx_outer_header.h"
#include "interchange/keepass_xml.h"

namespace {

constexpr char kDamagedPrefix[] = "the database is damaged: ";

// The keys one try of the file's key gives: the payload's cipher key and
// (KDBX 4) the base of its HMAC keys. Wiped when done.
struct DerivedKeys {
  uint8_t cipher_key[32] = {};
  uint8_t hmac_base[64] = {};
  ~DerivedKeys() {
    explicit_bzero(cipher_key, sizeof cipher_key);
    explicit_bzero(hmac_base, sizeof hmac_base);
  }
};

bool Derive(const KdbxOuterHeader& header, const FileKey& key, bool with_empty_password, DerivedKeys* keys,
            std::string* error) {
  uint8_t composite[32], transformed[32];
  bool ok = CompositeKey(key, with_empty_password, composite, error) &&
            TransformKey(header.kdf, composite, transformed, error);
  if (ok) {
    Sha256({AsBytes(header.master_seed), transformed}, keys->cipher_key);
    HmacBaseKey(header.master_seed, transformed, keys->hmac_base);
  }
  explicit_bzero(composite, sizeof composite);
  explicit_bzero(transformed, sizeof transformed);
  return ok;
}

// Tries the key as KeePass builds it and then, for a key file with an
// empty password, with the empty password counted as KeePassXC may have;
// check says whether a try's keys open the file.
template <typename Check>
bool OpenWithKey(const KdbxOuterHeader& header, const FileKey& key, DerivedKeys* keys, Check check,
                 std::string* error) {
  for (bool with_empty_password : {false, true}) {
    if (with_empty_password && !(key.key_file && key.password.empty())) break;
    if (!Derive(header, key, with_empty_password, keys, error)) return false;
    if (check(*keys)) return true;
  }
  *error = kKdbxWrongKeyMessage;
  return false;
}

bool Inflate(bool gzip, WipingBytes* payload, std::string* error) {
  if (!gzip) return true;
  WipingBytes inflated;
  if (!Gunzip(*payload, &inflated, error)) return false;
  payload->swap(inflated);
  return true;
}

bool OpenVersion4(std::string_view bytes, const KdbxOuterHeader& header, const FileKey& key, KdbxContent* content,
                  std::string* error) {
  std::string_view header_bytes = bytes.substr(0, header.size);
  KdbxByteReader reader(bytes.substr(header.size));
  std::string_view stored_hash, stored_hmac;
  if (!reader.Take(32, &stored_hash) || !reader.Take(32, &stored_hmac)) {
    *error = std::string(kDamagedPrefix) + "it ends after its header";
    return false;
  }
  uint8_t hash[32];
  Sha256({AsBytes(header_bytes)}, hash);
  if (!SameDigest(hash, AsBytes(stored_hash))) {
    *error = std::string(kDamagedPrefix) + "its header does not match its hash";
    return false;
  }
  DerivedKeys keys;
  auto header_authentic = [&](const DerivedKeys& tried) {
    uint8_t hmac[32];
    HeaderHmac(tried.hmac_base, header_bytes, hmac);
    return SameDigest(hmac, AsBytes(stored_hmac));
  };
  if (!OpenWithKey(header, key, &keys, header_authentic, error)) return false;
  std::string encrypted;
  switch (ReadHmacBlocks(bytes.substr(header.size + 64), keys.hmac_base, &encrypted)) {
    case HmacBlocksResult::kRead:
      break;
    case HmacBlocksResult::kDamaged:
      *error = std::string(kDamagedPrefix) + "a block does not match its HMAC; nothing was decrypted";
      return false;
    case HmacBlocksResult::kCutShort:
      *error = std::string(kDamagedPrefix) + "its blocks are cut short";
      return false;
  }
  WipingBytes& payload = content->payload;
  if (!DecryptPayload(header.cipher, keys.cipher_key, header.iv, AsBytes(encrypted), &payload)) {
    *error = std::string(kDamagedPrefix) + "its payload does not decrypt";
    return false;
  }
  if (!Inflate(header.gzip, &payload, error)) return false;
  KdbxInnerHeader inner;
  if (!ParseKdbxInnerHeader(payload, &inner, error)) return false;
  content->xml_offset = inner.size;
  content->binaries = inner.binaries;
  return content->stream.Start(inner.stream_id, inner.stream_key, error);
}

// KDBX 3.1 keeps its header's hash in the XML's Meta, where KeePass checks
// it; earlier versions have none.
bool HeaderHashMatches(std::span<const uint8_t> xml, std::string_view header_bytes) {
  std::string_view text = AsText(xml);
  constexpr std::string_view kOpen = "<HeaderHash>", kClose = "</HeaderHash>";
  size_t start = text.substr(0, text.find("</Meta>")).find(kOpen);
  if (start == std::string_view::npos) return true;
  start += kOpen.size();
  size_t end = text.find(kClose, start);
  if (end == std::string_view::npos) return false;
  uint8_t hash[32];
  Sha256({AsBytes(header_bytes)}, hash);
  return text.substr(start, end - start) == EncodeBase64Block(hash);
}

bool OpenVersion3(std::string_view bytes, const KdbxOuterHeader& header, const FileKey& key, KdbxContent* content,
                  std::string* error) {
  std::span<const uint8_t> encrypted = AsBytes(bytes.substr(header.size));
  WipingBytes decrypted;
  DerivedKeys keys;
  // Without an HMAC, the payload's first 32 bytes, which the header
  // repeats, are the key's check.
  auto starts_right = [&](const DerivedKeys& tried) {
    return DecryptPayload(header.cipher, tried.cipher_key, header.iv, encrypted, &decrypted) &&
           decrypted.size() >= 32 &&
           SameDigest(std::span<const uint8_t>(decrypted).first(32), AsBytes(header.stream_start_bytes));
  };
  if (!OpenWithKey(header, key, &keys, starts_right, error)) return false;
  WipingBytes& payload = content->payload;
  if (!ReadHashedBlocks(std::span<const uint8_t>(decrypted).subspan(32), &payload, error)) return false;
  decrypted.clear();
  if (!Inflate(header.gzip, &payload, error)) return false;
  if (!HeaderHashMatches(payload, bytes.substr(0, header.size))) {
    *error = std::string(kDamagedPrefix) + "its header does not match the hash its content holds";
    return false;
  }
  return content->stream.Start(header.inner_stream, header.protected_stream_key, error);
}

}  // namespace

bool IsKdbx(std::string_view bytes) {
  KdbxByteReader reader(bytes);
  uint32_t signature1 = 0, signature2 = 0;
  return reader.U32(&signature1) && reader.U32(&signature2) && signature1 == kKdbxSignature1 &&
         signature2 == kKdbxSignature2;
}

bool IsKeepass1Database(std::string_view bytes) {
  KdbxByteReader reader(bytes);
  uint32_t signature1 = 0, signature2 = 0;
  return reader.U32(&signature1) && reader.U32(&signature2) && signature1 == kKdbxSignature1 &&
         signature2 == kKeepass1Signature2;
}

bool ReadKdbx(std::string_view bytes, const FileKey& key, ForeignFile* file, std::string* error) {
  return ReadKdbxWithin(bytes, key, kKdbxWorkLimits, file, error);
}

bool ReadKdbxWithin(std::string_view bytes, const FileKey& key, const KdbxWorkLimits& limits, ForeignFile* file,
                    std::string* error) {
  KdbxContent content;
  return OpenKdbx(bytes, key, limits, &content, error) &&
         ReadKdbxXml(AsText(content.Xml()), content.stream, file, error);
}

bool OpenKdbx(std::string_view bytes, const FileKey& key, const KdbxWorkLimits& limits, KdbxContent* content,
              std::string* error) {
  KdbxOuterHeader header;
  if (!ParseKdbxOuterHeader(bytes, &header, error) || !CheckKdfWork(header.kdf, limits, error)) return false;
  content->major = header.major;
  content->minor = header.minor;
  content->kdf = header.kdf;
  content->cipher = header.cipher;
  return header.major == 4 ? OpenVersion4(bytes, header, key, content, error)
                           : OpenVersion3(bytes, header, key, content, error);
}

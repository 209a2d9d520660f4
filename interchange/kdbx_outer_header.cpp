#include "interchange/kdbx_outer_header.h"

#include "interchange/kdbx_bytes.h"

namespace {

enum Field : uint8_t {
  kEnd = 0,
  kCipherId = 2,
  kCompression = 3,
  kMasterSeed = 4,
  kTransformSeed = 5,
  kTransformRounds = 6,
  kEncryptionIv = 7,
  kProtectedStreamKey = 8,
  kStreamStartBytes = 9,
  kInnerRandomStreamId = 10,
  kKdfParameters = 11,
};

bool Number(std::string_view value, uint64_t* number) {
  KdbxByteReader reader(value);
  uint32_t narrow = 0;
  if (value.size() == 4 && reader.U32(&narrow)) {
    *number = narrow;
    return true;
  }
  return value.size() == 8 && reader.U64(number);
}

bool TakeField(uint8_t id, std::string_view value, KdbxOuterHeader* header, std::string* error) {
  uint64_t number = 0;
  switch (id) {
    case kCipherId:
      return CipherOfUuid(value, &header->cipher, error);
    case kCompression:
      if (!Number(value, &number) || number > 1) {
        *error = "the database's compression is of an unknown kind";
        return false;
      }
      header->gzip = number == 1;
      return true;
    case kMasterSeed:
      header->master_seed = value;
      return true;
    case kTransformSeed:
      header->kdf.seed = value;
      return true;
    case kTransformRounds:
      if (!Number(value, &header->kdf.rounds)) {
        *error = "the header's AES-KDF rounds are not a number";
        return false;
      }
      return true;
    case kEncryptionIv:
      header->iv = value;
      return true;
    case kProtectedStreamKey:
      header->protected_stream_key = value;
      return true;
    case kStreamStartBytes:
      header->stream_start_bytes = value;
      return true;
    case kInnerRandomStreamId:
      if (!Number(value, &number)) return true;
      header->inner_stream = static_cast<uint32_t>(number);
      return true;
    case kKdfParameters: {
      KdbxVariantDictionary dictionary;
      return ParseVariantDictionary(value, &dictionary, error) && KdfFromDictionary(dictionary, &header->kdf, error);
    }
    default:  // comments, public custom data: nothing the reader needs
      return true;
  }
}

bool Complete(const KdbxOuterHeader& header, std::string* error) {
  if (header.master_seed.size() != 32) {
    *error = "the header's master seed is missing or not 32 bytes";
  } else if (header.iv.size() != CipherIvSize(header.cipher)) {
    *error = "the header's encryption IV is missing or of the wrong size";
  } else if (header.major < 4 && header.stream_start_bytes.size() != 32) {
    *error = "the header's stream start bytes are missing";
  } else if (header.kdf.kind == KdbxKdfKind::kAes && header.kdf.seed.size() != 32) {
    *error = "the header's AES-KDF seed is missing or not 32 bytes";
  } else if (header.kdf.kind != KdbxKdfKind::kAes && header.kdf.seed.size() < 8) {
    *error = "the header's Argon2 salt is missing or too short";
  } else {
    return true;
  }
  return false;
}

void AppendField(std::string* out, uint8_t id, std::string_view value) {
  out->push_back(static_cast<char>(id));
  AppendLittle(out, value.size(), 4);
  *out += value;
}

}  // namespace

bool ParseKdbxOuterHeader(std::string_view file, KdbxOuterHeader* header, std::string* error) {
  KdbxByteReader reader(file);
  uint32_t signature1 = 0, signature2 = 0, version = 0;
  if (!reader.U32(&signature1) || !reader.U32(&signature2) || signature1 != kKdbxSignature1 ||
      signature2 != kKdbxSignature2 || !reader.U32(&version)) {
    *error = "the file is not a KeePass database";
    return false;
  }
  header->major = static_cast<uint16_t>(version >> 16);
  header->minor = static_cast<uint16_t>(version & 0xFFFF);
  // KeePass before 2.20 wrote 2.x, which differs from 3.x only in the
  // header fields it may hold.
  if (header->major < 2 || header->major > 4) {
    *error = "KDBX version " + std::to_string(header->major) + "." + std::to_string(header->minor) +
             " is not supported (versions 2.x, 3.x and 4.x are)";
    return false;
  }
  bool seen_kdf = false;
  for (;;) {
    uint8_t id = 0;
    uint16_t short_size = 0;
    uint32_t size = 0;
    bool short_sizes = header->major < 4;
    bool sized = reader.U8(&id) && (short_sizes ? reader.U16(&short_size) : reader.U32(&size));
    if (short_sizes) size = short_size;
    std::string_view value;
    if (!sized || !reader.Take(size, &value)) {
      *error = sized ? "a header field of " + std::to_string(size) + " bytes is longer than the file, which has " +
                           std::to_string(reader.left()) + " bytes left at offset " + std::to_string(reader.offset())
                     : "the file ends inside its header";
      return false;
    }
    if (id == kEnd) break;
    seen_kdf = seen_kdf || id == kKdfParameters;
    if (!TakeField(id, value, header, error)) return false;
  }
  if (header->major == 4 && !seen_kdf) {
    *error = "the header names no key derivation";
    return false;
  }
  header->size = reader.offset();
  return Complete(*header, error);
}

std::string SerializeKdbx4OuterHeader(const KdbxOuterHeader& header) {
  std::string out;
  AppendLittle(&out, kKdbxSignature1, 4);
  AppendLittle(&out, kKdbxSignature2, 4);
  AppendLittle(&out, 0x00040000, 4);
  AppendField(&out, kCipherId, UuidOfCipher(header.cipher));
  std::string compression;
  AppendLittle(&compression, header.gzip ? 1 : 0, 4);
  AppendField(&out, kCompression, compression);
  AppendField(&out, kMasterSeed, header.master_seed);
  AppendField(&out, kEncryptionIv, header.iv);
  AppendField(&out, kKdfParameters, SerializeVariantDictionary(DictionaryOf(header.kdf)));
  AppendField(&out, kEnd, "\r\n\r\n");
  return out;
}

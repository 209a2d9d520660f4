// The pieces of a KDBX file one at a time: key files by KeePass's rules,
// both block streams, the inner key stream, and the bounds that refuse
// absurd work before it starts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/sha.h"
#include "interchange/import_file.h"
#include "interchange/kdbx.h"
#include "interchange/kdbx_bytes.h"
#include "interchange/kdbx_gzip.h"
#include "interchange/kdbx_hashed_blocks.h"
#include "interchange/kdbx_hmac_blocks.h"
#include "interchange/kdbx_inner_stream.h"
#include "interchange/kdbx_key.h"
#include "interchange/kdbx_outer_header.h"
#include "interchange/kdbx_variant_dictionary.h"

namespace {

std::string Hex(std::span<const uint8_t> bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string Sha256Hex(std::string_view text) {
  uint8_t digest[32];
  Sha256({AsBytes(text)}, digest);
  return Hex(digest);
}

std::string KeyFileXml(const std::string& version, const std::string& data_element) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KeyFile>\n<Meta><Version>" + version +
         "</Version></Meta>\n<Key>" + data_element + "</Key>\n</KeyFile>\n";
}

// As keepassxc-cli db-create --set-key-file writes it.
const std::string kKeepassxcData =
    "\n            8DABB7B1 E113D5B1 C7DD80DF DE40EECD\n            53A794BF D7D11BDF 85FAE7FD 053D163E\n        ";
const std::string kKeepassxcKey = "8dabb7b1e113d5b1c7dd80dfde40eecd53a794bfd7d11bdf85fae7fd053d163e";

TEST(KdbxKeyFile, EachKindGivesTheKeyKeepassDoes) {
  std::string raw(32, '\0');
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<char>(0xA0 + i);
  std::string doctype = "<!DOCTYPE KeyFile [<!ENTITY x \"y\">]>" + KeyFileXml("1.0", "<Data>&x;</Data>");
  struct Case {
    const char* what;
    std::string content;
    std::string key;  // hex; empty: refused
  } cases[] = {
      {"XML 2.0, as KeePassXC writes it", KeyFileXml("2.0", "<Data Hash=\"0A306372\">" + kKeepassxcData + "</Data>"),
       kKeepassxcKey},
      {"XML 2.0 with a wrong hash", KeyFileXml("2.0", "<Data Hash=\"0A306373\">" + kKeepassxcData + "</Data>"), ""},
      {"XML 2.0 without a hash", KeyFileXml("2.0", "<Data>" + kKeepassxcData + "</Data>"), kKeepassxcKey},
      {"XML 1.0, base64", KeyFileXml("1.0", "<Data>jau3seET1bHH3YDf3kDuzVOnlL/X0Rvfhfrn/QU9Fj4=</Data>"),
       kKeepassxcKey},
      {"XML of an unknown version", KeyFileXml("3.0", "<Data>AAAA</Data>"),
       Sha256Hex(KeyFileXml("3.0", "<Data>AAAA</Data>"))},
      {"XML with a document type", doctype, Sha256Hex(doctype)},
      {"32 raw bytes", raw, Hex(AsBytes(raw))},
      {"64 hex characters", kKeepassxcKey, kKeepassxcKey},
      {"64 characters, not all hex", std::string(63, 'a') + "g", Sha256Hex(std::string(63, 'a') + "g")},
      {"64 hex characters and a line break", kKeepassxcKey + "\n", Sha256Hex(kKeepassxcKey + "\n")},
      {"any other file", "a photo, say", Sha256Hex("a photo, say")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WipingBytes key;
    std::string error;
    bool ok = KeyFileKey(AsBytes(c.content), &key, &error);
    EXPECT_EQ(ok, !c.key.empty()) << error;
    if (ok) {
      EXPECT_EQ(Hex(key), c.key);
    } else {
      EXPECT_EQ(error, "the key file is damaged: its key does not match the hash it holds");
    }
  }
}

TEST(KdbxKeyFile, CompositeKeyLeavesOutAnEmptyPasswordBesideAKeyFileUnlessAsked) {
  std::string key_file = kKeepassxcKey;
  auto composite = [&](const char* password, bool with_key_file, bool with_empty) {
    FileKey key;
    key.password = password;
    if (with_key_file) key.key_file = WipingBytes(key_file.begin(), key_file.end());
    uint8_t out[32];
    std::string error;
    EXPECT_TRUE(CompositeKey(key, with_empty, out, &error)) << error;
    return Hex(out);
  };
  std::string hashed_password = Sha256Hex("pw"), hashed_empty = Sha256Hex("");
  auto sha_of_hex = [](const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return Sha256Hex(bytes);
  };
  EXPECT_EQ(composite("pw", false, false), sha_of_hex(hashed_password));
  EXPECT_EQ(composite("", false, false), sha_of_hex(hashed_empty));
  EXPECT_EQ(composite("pw", true, false), sha_of_hex(hashed_password + kKeepassxcKey));
  EXPECT_EQ(composite("", true, false), sha_of_hex(kKeepassxcKey));
  EXPECT_EQ(composite("", true, true), sha_of_hex(hashed_empty + kKeepassxcKey));
}

std::string Payload(size_t size) {
  std::string payload(size, '\0');
  for (size_t i = 0; i < size; ++i) payload[i] = static_cast<char>(i * 31 + 7);
  return payload;
}

TEST(KdbxBlocks, HmacBlocksReadBackAndRefuseAnyChangeBeforeGivingAByte) {
  uint8_t base[64];
  for (int i = 0; i < 64; ++i) base[i] = static_cast<uint8_t>(i);
  std::string payload = Payload(250), blocks;
  WriteHmacBlocks(AsBytes(payload), base, 100, &blocks);
  ASSERT_EQ(blocks.size(), 250 + 4 * 36u);  // three blocks and the empty one
  std::string read;
  ASSERT_EQ(ReadHmacBlocks(blocks, base, &read), HmacBlocksResult::kRead);
  EXPECT_EQ(read, payload);

  for (size_t at = 0; at < blocks.size(); at += 7) {
    std::string changed = blocks, out = "untouched";
    changed[at] ^= 0x40;
    HmacBlocksResult result = ReadHmacBlocks(changed, base, &out);
    EXPECT_NE(result, HmacBlocksResult::kRead) << "byte " << at;
    EXPECT_EQ(out, "untouched");
  }
  // Blocks swapped: each block's key holds its index.
  std::string swapped = blocks.substr(136, 136) + blocks.substr(0, 136) + blocks.substr(272);
  EXPECT_EQ(ReadHmacBlocks(swapped, base, &read), HmacBlocksResult::kDamaged);
  EXPECT_EQ(ReadHmacBlocks(blocks.substr(0, blocks.size() - 36), base, &read), HmacBlocksResult::kCutShort);
  uint8_t other_base[64] = {};
  EXPECT_EQ(ReadHmacBlocks(blocks, other_base, &read), HmacBlocksResult::kDamaged);
}

std::string HashedBlock(uint32_t index, std::string_view data, bool right_hash = true) {
  std::string block;
  AppendLittle(&block, index, 4);
  uint8_t digest[32] = {};
  if (!data.empty()) Sha256({AsBytes(data)}, digest);
  if (!right_hash) digest[5] ^= 1;
  block.append(reinterpret_cast<const char*>(digest), 32);
  AppendLittle(&block, data.size(), 4);
  return block + std::string(data);
}

TEST(KdbxBlocks, HashedBlocksCheckEachHashAndIndex) {
  struct Case {
    const char* what;
    std::string blocks;
    std::string payload;  // empty: refused with error
    std::string error;
  } cases[] = {
      {"two blocks", HashedBlock(0, "first ") + HashedBlock(1, "second") + HashedBlock(2, ""), "first second", ""},
      {"a hash changed", HashedBlock(0, "first ") + HashedBlock(1, "second", false) + HashedBlock(2, ""), "",
       "block 1 does not match its hash"},
      {"out of order", HashedBlock(1, "second") + HashedBlock(0, "first ") + HashedBlock(2, ""), "",
       "block 0 is out of order"},
      {"no end block", HashedBlock(0, "first "), "", "cut short"},
      {"size past the end", HashedBlock(0, "first ").substr(0, 42), "", "cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WipingBytes payload;
    std::string error;
    bool ok = ReadHashedBlocks(AsBytes(c.blocks), &payload, &error);
    EXPECT_EQ(ok, !c.payload.empty());
    if (ok) {
      EXPECT_EQ(std::string(AsText(payload)), c.payload);
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(KdbxInnerStream, KeyStreamContinuesAcrossValuesOfAnySize) {
  for (uint32_t id : {kInnerStreamChaCha20, kInnerStreamSalsa20}) {
    SCOPED_TRACE(id);
    std::string error;
    KdbxInnerStream whole, pieces;
    ASSERT_TRUE(whole.Start(id, "inner key", &error)) << error;
    ASSERT_TRUE(pieces.Start(id, "inner key", &error)) << error;
    std::vector<uint8_t> all(300, 0);
    whole.Apply(all);
    std::vector<uint8_t> piecewise(300, 0);
    size_t at = 0;
    for (size_t size : {1, 63, 2, 64, 100, 70}) {
      pieces.Apply(std::span<uint8_t>(piecewise).subspan(at, size));
      at += size;
    }
    EXPECT_EQ(piecewise, all);
    EXPECT_NE(all, std::vector<uint8_t>(300, 0));
  }
  KdbxInnerStream arc4;
  std::string error;
  EXPECT_FALSE(arc4.Start(1, "inner key", &error));
  EXPECT_EQ(error, "the database protects its values with an inner stream (1) that is not supported");
}

TEST(KdbxGzip, InflatesWithinABoundAndRefusesABomb) {
  std::string text = Payload(100000);
  WipingBytes compressed, inflated;
  std::string error;
  ASSERT_TRUE(Gzip(AsBytes(text), &compressed));
  ASSERT_TRUE(Gunzip(compressed, &inflated, &error)) << error;
  EXPECT_EQ(std::string(AsText(inflated)), text);

  std::string zeros(size_t{64} << 20, '\0');  // about 64 KiB compressed: a bound of 16 MiB
  ASSERT_TRUE(Gzip(AsBytes(zeros), &compressed));
  EXPECT_FALSE(Gunzip(compressed, &inflated, &error));
  EXPECT_EQ(error, "the database's payload inflates past " + std::to_string(MaxInflatedSize(compressed.size()) >> 20) +
                       " MiB, more than a database of its size holds; it was not read");
  EXPECT_EQ(MaxInflatedSize(100), size_t{1} << 20);
  EXPECT_EQ(MaxInflatedSize(size_t{64} << 20), size_t{1} << 30);
  ASSERT_TRUE(Gzip(AsBytes(text), &compressed));
  compressed.resize(compressed.size() / 2);
  EXPECT_FALSE(Gunzip(compressed, &inflated, &error));
  EXPECT_EQ(error, "the database is damaged: its compressed payload does not inflate");
}

KdbxOuterHeader Header(KdbxKdfKind kind, uint64_t rounds, uint64_t memory) {
  KdbxOuterHeader header;
  header.cipher = KdbxCipher::kChaCha20;
  header.master_seed = std::string(32, 's');
  header.iv = std::string(12, 'i');
  header.kdf.kind = kind;
  header.kdf.seed = std::string(32, 'k');
  header.kdf.rounds = rounds;
  header.kdf.memory_bytes = memory;
  header.kdf.parallelism = 2;
  return header;
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  size_t at = text.find(from);
  return at == std::string::npos ? "" : text.replace(at, from.size(), to);
}

TEST(KdbxBounds, AbsurdOrUnknownHeadersAreRefusedBeforeAnyWorkWithTheFigureNamed) {
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  std::string fine = SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kArgon2id, 2, 1 << 20));
  std::string chacha(UuidOfCipher(KdbxCipher::kChaCha20));
  std::string version5 = fine, version1 = fine;
  version5[10] = 5;
  version1[10] = 1;
  std::string long_field = fine.substr(0, 12) + '\x01' + std::string("\x00\x00\x00\x10", 4) + "comment";
  struct Case {
    const char* what;
    std::string file;
    std::string error;
  } cases[] = {
      {"Argon2 memory over 4 GiB", SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kArgon2d, 2, 4 * kGiB + (1 << 20))),
       "the file asks for 4097 MiB of Argon2 memory, more than the 4096 MiB this import allows"},
      {"Argon2 passes for hours", SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kArgon2id, 300, 4 * kGiB)),
       "the file asks for 300 Argon2 iterations over 4096 MiB, more than the 1048576 MiB of memory passes this import "
       "allows"},
      {"Argon2 iterations beyond 32 bits",
       SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kArgon2id, 1ull << 33, 64 << 20)),
       "the file asks for 8589934592 Argon2 iterations over 64 MiB"},
      {"a few KiB of Argon2 memory", SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kArgon2id, 1ull << 33, 8 << 10)),
       "the file asks for 8589934592 Argon2 iterations over 8 KiB, more than"},
      {"AES-KDF rounds for hours", SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kAes, 4'000'000'001, 0)),
       "the file asks for 4000000001 AES-KDF rounds, more than the 4000000000 this import allows"},
      {"unknown cipher", Replaced(fine, chacha, std::string(16, 'c')),
       "the database's cipher is of an unknown kind, which is not supported"},
      {"unknown KDF", Replaced(fine, "\x9e\x29\x8b\x19", "XXXX"), "the file's key derivation is of an unknown kind"},
      {"version 5", version5, "KDBX version 5.0 is not supported (versions 2.x, 3.x and 4.x are)"},
      {"version 1", version1, "KDBX version 1.0 is not supported (versions 2.x, 3.x and 4.x are)"},
      {"field longer than the file", long_field,
       "a header field of 268435456 bytes is longer than the file, which has 7 bytes left at offset 17"},
      {"not a database", "PK\x03\x04 a zip", "the file is not a KeePass database"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_FALSE(c.file.empty());
    std::string error;
    ForeignFile file(nullptr);
    EXPECT_FALSE(ReadKdbx(c.file, FileKey(), &file, &error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

}  // namespace

namespace {

TEST(KdbxBounds, KeyDerivationParametersNameOnlyWhatCanBePrinted) {
  auto entry = [](std::string_view key, std::string_view value) {
    std::string bytes("\x05", 1);
    AppendLittle(&bytes, key.size(), 4);
    bytes += key;
    AppendLittle(&bytes, value.size(), 4);
    return bytes + std::string(value);
  };
  const std::string version("\x00\x01", 2), end(1, '\0');
  struct Case {
    const char* what;
    std::string bytes;
    std::string error;
  } cases[] = {
      {"a named number of the wrong size", version + entry("I", "abc") + end,
       "the key derivation parameter I has the wrong size"},
      {"a name with a line break", version + entry("I\nforged", "abc") + end,
       "the key derivation parameter (unnamed) has the wrong size"},
      {"cut short", version + entry("I", "abcdefgh"), "the key derivation parameters are cut short"},
      {"a later major version", std::string("\x00\x02", 2) + end,
       "the key derivation parameters are of an unknown version"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KdbxVariantDictionary dictionary;
    std::string error;
    EXPECT_FALSE(ParseVariantDictionary(c.bytes, &dictionary, &error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace

namespace {

TEST(KdbxFormat, IsRecognisedByItsSignatureAndAsksForAPasswordOrKeyFile) {
  std::string database = SerializeKdbx4OuterHeader(Header(KdbxKdfKind::kArgon2id, 2, 1 << 20));
  const InterchangeFormat* format = DetectInterchangeFormat(database);
  ASSERT_NE(format, nullptr);
  EXPECT_STREQ(format->name, "kdbx");
  EXPECT_EQ(ImportKeyNeeded(database, ""), ImportKey::kPasswordOrKeyFile);
  EXPECT_EQ(ImportKeyNeeded("Description,Username,Password\n", "kdbx"), ImportKey::kNone);

  ImportPlan plan(SafeFormat::kStrong);
  std::string error;
  FileKey key;
  EXPECT_FALSE(PlanImportText("Description,Username,Password\n", "kdbx", &plan, &error, &key));
  EXPECT_EQ(error, "the file is not a KeePass database; nothing was imported");
  EXPECT_FALSE(PlanImportText(database, "", &plan, &error));
  EXPECT_EQ(error, "the file is protected by a password; nothing was imported");

  // KeePass 1 shares the first signature; its files are told apart.
  std::string keepass1("\x03\xd9\xa2\x9a\x65\xfa\x4b\xb5\x03\x00\x00\x00", 12);
  keepass1 += std::string(112, 'x');
  for (const char* format_name : {"", "kdbx"}) {
    EXPECT_FALSE(PlanImportText(keepass1, format_name, &plan, &error, &key));
    EXPECT_EQ(error,
              "the file is an old KeePass 1 database (.kdb), which Quillbox does not read; KeePassXC or KeePass 2 can "
              "save it as a KDBX database, which Quillbox imports");
  }
}

}  // namespace

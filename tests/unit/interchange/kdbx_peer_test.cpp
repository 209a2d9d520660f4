// KeePass databases made by the real peers open with the right key and
// give their entries; a wrong key or a changed byte opens nothing; the
// databases Quillbox writes open in keepassxc-cli with every field.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "interchange/import_file.h"
#include "interchange/kdbx.h"
#include "interchange/kdbx_open.h"
#include "safe/one_time_code.h"
#include "tests/unit/interchange/kdbx_peer_support.h"

namespace {

// KeePassXC's least key derivation (-t 100: AES-KDF for 100 ms) and, for
// pykeepass, Argon2d lowered to 1 MiB and 2 passes: real formats, cheap keys.
constexpr char kCreate[] = "keepassxc-cli db-create -q -t 100 ";
constexpr char kPykeepassDatabases[] = R"(
from pykeepass import PyKeePass, create_database
kp = create_database('p.kdbx', password='peer-pw')
kdf = kp.kdbx.header.value.dynamic_header.kdf_parameters.data.dict
kdf.I.value = 2
kdf.M.value = 1 << 20
del kp.kdbx.header['data']
work = kp.add_group(kp.root_group, 'Work')
kp.add_entry(work, 'Bank', 'alice', 'bank-pw', url='https://bank.example.org', notes='line one')
kp.add_entry(kp.root_group, 'Mail', 'bob', 'mail-pw')
kp.save()
kp.keyfile = 'key.hex'
kp.save('pk.kdbx')
kp.password = None
kp.save('k.kdbx')
kp.password = ''
kp.save('ek.kdbx')
# The same database under ChaCha20, and under AES-KDF (KeePass's UUID).
import os
from construct import Container
kp = PyKeePass('p.kdbx', password='peer-pw')
header = kp.kdbx.header.value.dynamic_header
header.cipher_id.data = 'chacha20'
header.encryption_iv.data = os.urandom(12)
del kp.kdbx.header['data']
kp.save('chacha20.kdbx')
kp = PyKeePass('p.kdbx', password='peer-pw')
kp.kdbx.header.value.dynamic_header.compression_flags.data.compression = False
del kp.kdbx.header['data']
kp.save('uncompressed.kdbx')
kp = PyKeePass('p.kdbx', password='peer-pw')
kp.kdbx.header.value.dynamic_header.kdf_parameters.data.dict = Container({
    '$UUID': Container(type=0x42, key='$UUID', value=bytes.fromhex('c9d9f39a628a4460bf740d08c18a4fea'), next_byte=0x05),
    'R': Container(type=0x05, key='R', value=100, next_byte=0x42),
    'S': Container(type=0x42, key='S', value=os.urandom(32), next_byte=0)})
del kp.kdbx.header['data']
kp.save('aes-kdf.kdbx')
)";

// Twofish (KeePass's plug-in) in KDBX 3.1 and 4 as pykeepass writes it,
// and KDBX 2.4 as KeePass 2.11 to 2.14 wrote it: a 3.x file without the
// header's hash in its XML. Given db3.kdbx, a keepassxc-cli database.
constexpr char kTwofishAndKdbx2[] = R"(
import os
from pykeepass import PyKeePass, create_database

def save_as_twofish(kp, name):
    kp.kdbx.header.value.dynamic_header.cipher_id.data = 'twofish'
    kp.kdbx.header.value.dynamic_header.encryption_iv.data = os.urandom(16)
    del kp.kdbx.header['data']
    kp.save(name)

kp = PyKeePass('db3.kdbx', password='peer-pw')
# The header changes, so the hash of the old one must go.
for hash in kp.tree.findall('Meta/HeaderHash'):
    hash.getparent().remove(hash)
kp.save('plain3.kdbx')
save_as_twofish(kp, 'twofish3.kdbx')
kp = create_database('p.kdbx', password='peer-pw')
kdf = kp.kdbx.header.value.dynamic_header.kdf_parameters.data.dict
kdf.I.value = 2
kdf.M.value = 1 << 20
kp.add_entry(kp.root_group, 'Mail', 'bob', 'mail-pw')
save_as_twofish(kp, 'twofish4.kdbx')
with open('plain3.kdbx', 'rb') as f:
    data = bytearray(f.read())
data[8:12] = (0x00020004).to_bytes(4, 'little')
with open('v2.kdbx', 'wb') as f:
    f.write(data)
)";

struct Opened {
  bool ok = false;
  std::string error;
  KdbxContent content;
};

void Open(const std::string& bytes, const FileKey& key, Opened* opened) {
  opened->ok = OpenKdbx(bytes, key, kKdbxWorkLimits, &opened->content, &opened->error);
}

std::string Xml(const Opened& opened) {
  return std::string(reinterpret_cast<const char*>(opened.content.Xml().data()), opened.content.Xml().size());
}

struct Imported {
  std::vector<std::string> lines;  // title, user name and password
  std::string error;
};

Imported Import(const std::string& bytes, const FileKey& key) {
  ImportPlan plan(SafeFormat::kStrong);
  Imported imported;
  if (!PlanImportText(bytes, "", &plan, &imported.error, &key)) return imported;
  for (const Entry& entry : plan.Entries()) {
    imported.lines.push_back(std::string(entry.title.view()) + " " + std::string(entry.userName.view()) + " " +
                             std::string(entry.password.view()));
  }
  std::sort(imported.lines.begin(), imported.lines.end());
  return imported;
}

using KdbxPeers = KdbxPeerTest;

// Where the value of a KDBX 3.1 header field (2-byte lengths) starts.
size_t Kdbx3FieldOffset(const std::string& file, uint8_t id) {
  for (size_t at = 12; at + 3 <= file.size();) {
    size_t size = static_cast<uint8_t>(file[at + 1]) | static_cast<uint8_t>(file[at + 2]) << 8;
    if (static_cast<uint8_t>(file[at]) == id) return at + 3;
    at += 3 + size;
  }
  ADD_FAILURE() << "no header field " << int{id};
  return 0;
}

TEST_F(KdbxPeers, KeepassxcCliWritesKdbx31WithAesKdfThatOpensWithEachKey) {
  std::string key_file_path = Path("db.keyx");
  Run(std::string(kCreate) + "-p db.kdbx", "peer-pw\npeer-pw\n");
  Run(std::string(kCreate) + "-p --set-key-file db.keyx keyed.kdbx", "peer-pw\npeer-pw\n");
  Run(std::string(kCreate) + "--set-key-file db.keyx only-key.kdbx", "\n\n");
  for (const char* access : {"db.kdbx", "-k db.keyx keyed.kdbx", "--no-password -k db.keyx only-key.kdbx"}) {
    bool with_password = std::string(access).find("--no-password") == std::string::npos;
    std::string prefix = with_password ? "peer-pw\n" : "";
    Run(std::string("keepassxc-cli mkdir -q ") + access + " Work", prefix);
    Run(std::string("keepassxc-cli add -q -p -u alice --url https://bank.example.org --notes 'line one' ") + access +
            " Work/Bank",
        prefix + "bank-pw\n");
    Run(std::string("keepassxc-cli add -q -p -u bob ") + access + " Mail", prefix + "mail-pw\n");
  }
  std::string key_file = ReadFile("db.keyx");
  ASSERT_NE(key_file.find("<Version>2.0</Version>"), std::string::npos) << key_file;

  struct Case {
    const char* file;
    FileKey key;
  } cases[] = {{"db.kdbx", KeyOf("peer-pw")},
               {"keyed.kdbx", KeyOf("peer-pw", &key_file)},
               {"only-key.kdbx", KeyOf("", &key_file)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Opened opened;
    Open(ReadFile(c.file), c.key, &opened);
    ASSERT_TRUE(opened.ok) << opened.error;
    EXPECT_EQ(opened.content.major, 3);
    EXPECT_EQ(opened.content.minor, 1);
    EXPECT_EQ(opened.content.kdf.kind, KdbxKdfKind::kAes);
    EXPECT_EQ(opened.content.cipher, KdbxCipher::kAes256Cbc);
    std::string xml = Xml(opened);
    EXPECT_NE(xml.find("<Value>alice</Value>"), std::string::npos);
    EXPECT_NE(xml.find("<Value>https://bank.example.org</Value>"), std::string::npos);
    // KeePassXC writes a group's own entries before its subgroups'.
    EXPECT_EQ(ProtectedValues(opened.content)["Password"], std::vector<std::string>({"mail-pw", "bank-pw"}));
  }
}

TEST_F(KdbxPeers, PykeepassWritesKdbx4WithArgon2dAndKeepassxcRewritesIt) {
  std::string key_file = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  WriteTextFile(Path("key.hex"), key_file);
  WriteTextFile(Path("make.py"), kPykeepassDatabases);
  Run("/usr/bin/python3 make.py");
  // KeePassXC's own KDBX 4 writer, keeping the file's cipher and KDF, with
  // an attachment in the inner header.
  Run("cp p.kdbx rewritten.kdbx");
  Run("keepassxc-cli add -q -p -u carol rewritten.kdbx Shop", "peer-pw\nshop-pw\n");
  WriteTextFile(Path("receipt.txt"), "a receipt");
  Run("keepassxc-cli attachment-import -q rewritten.kdbx Shop receipt.txt receipt.txt", "peer-pw\n");
  EXPECT_NE(Run("keepassxc-cli db-info -q rewritten.kdbx", "peer-pw\n").find("Argon2d (2 rounds, 1024 KB)"),
            std::string::npos);

  const KdbxKdfKind argon2d = KdbxKdfKind::kArgon2d, aes_kdf = KdbxKdfKind::kAes;
  const KdbxCipher aes = KdbxCipher::kAes256Cbc, chacha20 = KdbxCipher::kChaCha20;
  struct Case {
    const char* file;
    FileKey key;
    KdbxKdfKind kdf;
    KdbxCipher cipher;
    size_t binaries;
    std::vector<std::string> passwords;
  } cases[] = {{"p.kdbx", KeyOf("peer-pw"), argon2d, aes, 0, {"bank-pw", "mail-pw"}},
               {"pk.kdbx", KeyOf("peer-pw", &key_file), argon2d, aes, 0, {"bank-pw", "mail-pw"}},
               {"k.kdbx", KeyOf("", &key_file), argon2d, aes, 0, {"bank-pw", "mail-pw"}},
               // pykeepass counts an empty password beside the key file.
               {"ek.kdbx", KeyOf("", &key_file), argon2d, aes, 0, {"bank-pw", "mail-pw"}},
               {"chacha20.kdbx", KeyOf("peer-pw"), argon2d, chacha20, 0, {"bank-pw", "mail-pw"}},
               {"uncompressed.kdbx", KeyOf("peer-pw"), argon2d, aes, 0, {"bank-pw", "mail-pw"}},
               {"aes-kdf.kdbx", KeyOf("peer-pw"), aes_kdf, aes, 0, {"bank-pw", "mail-pw"}},
               // The attachment's change left Shop's earlier version in its history.
               {"rewritten.kdbx", KeyOf("peer-pw"), argon2d, aes, 1, {"bank-pw", "mail-pw", "shop-pw", "shop-pw"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Opened opened;
    Open(ReadFile(c.file), c.key, &opened);
    ASSERT_TRUE(opened.ok) << opened.error;
    EXPECT_EQ(opened.content.major, 4);
    EXPECT_EQ(opened.content.kdf.kind, c.kdf);
    EXPECT_EQ(opened.content.cipher, c.cipher);
    EXPECT_EQ(opened.content.binaries, c.binaries);
    EXPECT_NE(Xml(opened).find("<Value>alice</Value>"), std::string::npos);
    std::vector<std::string> passwords = ProtectedValues(opened.content)["Password"];
    std::sort(passwords.begin(), passwords.end());
    EXPECT_EQ(passwords, c.passwords);
  }
}

TEST_F(KdbxPeers, PeerFilesImportTheirEntries) {
  Run(std::string(kCreate) + "-p db3.kdbx", "peer-pw\npeer-pw\n");
  Run("keepassxc-cli add -q -p -u alice db3.kdbx Bank", "peer-pw\nbank-pw\n");
  WriteTextFile(Path("key.hex"), "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
  WriteTextFile(Path("make.py"), kPykeepassDatabases);
  Run("/usr/bin/python3 make.py");
  std::string key_file = ReadFile("key.hex");

  Imported kdbx3 = Import(ReadFile("db3.kdbx"), KeyOf("peer-pw"));
  EXPECT_EQ(kdbx3.lines, std::vector<std::string>({"Bank alice bank-pw"})) << kdbx3.error;
  Imported kdbx4 = Import(ReadFile("pk.kdbx"), KeyOf("peer-pw", &key_file));
  EXPECT_EQ(kdbx4.lines, std::vector<std::string>({"Bank alice bank-pw", "Mail bob mail-pw"})) << kdbx4.error;
}

TEST_F(KdbxPeers, TwofishInBothVersionsAndKdbx2Open) {
  Run(std::string(kCreate) + "-p db3.kdbx", "peer-pw\npeer-pw\n");
  Run("keepassxc-cli add -q -p -u alice db3.kdbx Bank", "peer-pw\nbank-pw\n");
  WriteTextFile(Path("make.py"), kTwofishAndKdbx2);
  Run("/usr/bin/python3 make.py");
  // KeePassXC's own writer keeps the cipher and the version.
  for (std::string file : {"twofish3", "twofish4"}) {
    Run("cp " + file + ".kdbx " + file + "-kx.kdbx");
    Run("keepassxc-cli add -q -p -u carol " + file + "-kx.kdbx Shop", "peer-pw\nshop-pw\n");
    std::string info = Run("keepassxc-cli db-info -q " + file + "-kx.kdbx", "peer-pw\n");
    EXPECT_NE(info.find("Cipher: Twofish 256-bit"), std::string::npos) << info;
  }
  EXPECT_EQ(Run("keepassxc-cli ls -q v2.kdbx", "peer-pw\n"), "Bank\n");

  const KdbxCipher twofish = KdbxCipher::kTwofishCbc;
  struct Case {
    const char* file;
    uint16_t major, minor;
    KdbxCipher cipher;
    std::vector<std::string> lines;
  } cases[] = {
      {"twofish3.kdbx", 3, 1, twofish, {"Bank alice bank-pw"}},
      {"twofish3-kx.kdbx", 3, 1, twofish, {"Bank alice bank-pw", "Shop carol shop-pw"}},
      {"twofish4.kdbx", 4, 0, twofish, {"Mail bob mail-pw"}},
      {"twofish4-kx.kdbx", 4, 0, twofish, {"Mail bob mail-pw", "Shop carol shop-pw"}},
      {"v2.kdbx", 2, 4, KdbxCipher::kAes256Cbc, {"Bank alice bank-pw"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Opened opened;
    Open(ReadFile(c.file), KeyOf("peer-pw"), &opened);
    ASSERT_TRUE(opened.ok) << opened.error;
    EXPECT_EQ(opened.content.major, c.major);
    EXPECT_EQ(opened.content.minor, c.minor);
    EXPECT_EQ(opened.content.cipher, c.cipher);
    Imported imported = Import(ReadFile(c.file), KeyOf("peer-pw"));
    EXPECT_EQ(imported.lines, c.lines) << imported.error;
    EXPECT_EQ(Import(ReadFile(c.file), KeyOf("other-pw")).error, kKdbxWrongKeyMessage);
  }
}

// A summary as text, its format's name left out.
std::string SummaryOf(ImportPlan& plan) {
  ImportSummary summary = plan.Summary();
  summary.format_name.clear();
  return FormatImportSummary(summary, ImportStage::kPreview);
}

TEST_F(KdbxPeers, EveryFieldEqualsWhatKeepassxcExportsAsXml) {
  // KeePass XML with codes, custom fields, tags, history and a recycle bin,
  // into KDBX 3.1 by keepassxc-cli import, and into KDBX 4 by its merge
  // into a pykeepass database.
  WriteTextFile(Path("key.hex"), "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
  WriteTextFile(Path("make.py"), kPykeepassDatabases);
  Run("/usr/bin/python3 make.py");
  Run("keepassxc-cli import -q -p -t 100 '" + std::string(QUILLBOX_TEST_DATA_DIR) +
          "/interchange/keepass.xml' db3.kdbx",
      "peer-pw\npeer-pw\n");
  Run("keepassxc-cli merge -q -s p.kdbx db3.kdbx", "peer-pw\n");
  for (const char* file : {"db3.kdbx", "p.kdbx"}) {
    SCOPED_TRACE(file);
    std::string xml = Run(std::string("keepassxc-cli export -q -f xml ") + file, "peer-pw\n");
    ImportPlan from_xml(SafeFormat::kStrong), from_kdbx(SafeFormat::kStrong);
    std::string error;
    ASSERT_TRUE(PlanImportText(xml, "", &from_xml, &error)) << error;
    FileKey key = KeyOf("peer-pw");
    ASSERT_TRUE(PlanImportText(ReadFile(file), "", &from_kdbx, &error, &key)) << error;
    ASSERT_GE(from_kdbx.Entries().size(), 2u);
    EXPECT_TRUE(from_kdbx.Entries() == from_xml.Entries());
    EXPECT_EQ(SummaryOf(from_kdbx), SummaryOf(from_xml));
  }
}

TEST_F(KdbxPeers, WrongKeyOrAnyChangedByteImportsNothing) {
  Run(std::string(kCreate) + "-p db3.kdbx", "peer-pw\npeer-pw\n");
  Run("keepassxc-cli add -q -p -u alice db3.kdbx Bank", "peer-pw\nbank-pw\n");
  WriteTextFile(Path("key.hex"), "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
  WriteTextFile(Path("make.py"), kPykeepassDatabases);
  Run("/usr/bin/python3 make.py");
  std::string key_file = ReadFile("key.hex"), other_key_file = std::string(32, 'k');
  std::string kdbx3 = ReadFile("db3.kdbx"), kdbx4 = ReadFile("pk.kdbx");

  struct Case {
    const char* what;
    std::string bytes;
    FileKey key;
    std::string error;
  };
  std::vector<Case> cases;
  cases.push_back({"3.1, wrong password", kdbx3, KeyOf("other-pw"), kKdbxWrongKeyMessage});
  cases.push_back({"4, wrong password", kdbx4, KeyOf("other-pw", &key_file), kKdbxWrongKeyMessage});
  cases.push_back({"4, wrong key file", kdbx4, KeyOf("peer-pw", &other_key_file), kKdbxWrongKeyMessage});
  cases.push_back({"4, key file missing", kdbx4, KeyOf("peer-pw"), kKdbxWrongKeyMessage});
  // Version 4: the header's hash (byte 50 is in pykeepass's master seed),
  // and every block's HMAC, its size included.
  for (size_t at : {size_t{50}, kdbx4.size() / 2, kdbx4.size() - 40, kdbx4.size() - 1}) {
    std::string changed = kdbx4;
    changed[at] ^= 0x01;
    std::string expected = at == 50 ? "its header does not match its hash" : "the database is damaged: ";
    cases.push_back({"4, byte changed", changed, KeyOf("peer-pw", &key_file), expected});
  }
  // Version 3.1 has no HMAC: the hash of its header its XML holds catches
  // a change to the inner stream's key, which would only garble passwords;
  // its blocks' hashes and padding catch the rest.
  std::string stream_key_changed = kdbx3;
  stream_key_changed[Kdbx3FieldOffset(kdbx3, 8)] ^= 0x01;
  cases.push_back({"3.1, inner stream key changed", stream_key_changed, KeyOf("peer-pw"),
                   "the database is damaged: its header does not match the hash its content holds"});
  for (size_t at : {kdbx3.size() / 2, kdbx3.size() - 1}) {
    std::string changed = kdbx3;
    changed[at] ^= 0x01;
    cases.push_back({"3.1, byte changed", changed, KeyOf("peer-pw"), ""});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImportPlan plan(SafeFormat::kStrong);
    std::string error;
    EXPECT_FALSE(PlanImportText(c.bytes, "", &plan, &error, &c.key));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_TRUE(plan.Entries().empty());
  }
}

// Cheap Argon2id for tests; the product measures its passes for a second.
KdbxWriteSettings CheapSettings(KdbxCipher cipher) {
  KdbxWriteSettings settings;
  settings.cipher = cipher;
  settings.argon2_memory_bytes = 1 << 20;
  settings.argon2_iterations = 2;
  return settings;
}

constexpr char kBankCode[] = "otpauth://totp/Bank:alice?secret=JBSWY3DPEHPK3PXP&issuer=Bank";

std::string CodeAt(int64_t time) {
  TotpCode code;
  EXPECT_EQ(CurrentOneTimeCode(kBankCode, time, code), nullptr);
  return std::string(code.text) + "\n";
}

std::vector<Entry> SomeEntries() {
  std::vector<Entry> entries(2);
  entries[0].title = "Bank";
  entries[0].userName = "alice";
  entries[0].password = "bank-pw";
  entries[0].url = "https://bank.example.org";
  entries[0].notes = "line one\nline two";
  entries[0].totp = kBankCode;
  entries[0].SetField("PIN", "1234", true);
  entries[1].title = "Mail";
  entries[1].userName = "bob";
  entries[1].password = "mail-pw";
  AssignMissingIds(entries);
  return entries;
}

TEST_F(KdbxPeers, WrittenDatabasesOpenInKeepassxcAndReadBack) {
  std::string key_file(32, '\0');
  for (size_t i = 0; i < key_file.size(); ++i) key_file[i] = static_cast<char>(i * 7);
  WriteTextFile(Path("raw.key"), key_file);
  struct Case {
    const char* what;
    KdbxCipher cipher;
    FileKey key;
    std::string access;  // keepassxc-cli's options and its standard input
    std::string input;
    const char* cipher_name;
  } cases[] = {
      {"ChaCha20, password", KdbxCipher::kChaCha20, KeyOf("new-pw"), "", "new-pw\n", "ChaCha20 256-bit"},
      {"AES, password and key file", KdbxCipher::kAes256Cbc, KeyOf("new-pw", &key_file), "-k raw.key ", "new-pw\n",
       "AES 256-bit"},
      {"ChaCha20, key file only", KdbxCipher::kChaCha20, KeyOf("", &key_file), "--no-password -k raw.key ", "",
       "ChaCha20 256-bit"},
      {"Twofish, password", KdbxCipher::kTwofishCbc, KeyOf("new-pw"), "", "new-pw\n", "Twofish 256-bit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes, error;
    ASSERT_TRUE(WriteKdbxWith(SomeEntries(), c.key, CheapSettings(c.cipher), &bytes, &error)) << error;
    WriteTextFile(Path("out.kdbx"), bytes);
    std::string info = Run("keepassxc-cli db-info -q " + c.access + "out.kdbx", c.input);
    EXPECT_NE(info.find(std::string("Cipher: ") + c.cipher_name), std::string::npos) << info;
    EXPECT_NE(info.find("KDF: Argon2id (2 rounds, 1024 KB)"), std::string::npos) << info;
    std::string listing = Run("keepassxc-cli ls -q -R -f " + c.access + "out.kdbx", c.input);
    size_t bank_at = listing.find("Bank\n");
    ASSERT_NE(bank_at, std::string::npos) << listing;
    size_t line_start = listing.rfind('\n', bank_at) + 1;
    std::string bank_path = listing.substr(line_start, bank_at + 4 - line_start);
    EXPECT_EQ(Run("keepassxc-cli show -q -s -a UserName -a Password -a URL -a Notes -a PIN " + c.access + "out.kdbx '" +
                      bank_path + "'",
                  c.input),
              "alice\nbank-pw\nhttps://bank.example.org\nline one\nline two\n1234\n");
    int64_t before = time(nullptr);
    std::string code = Run("keepassxc-cli show -q -t " + c.access + "out.kdbx '" + bank_path + "'", c.input);
    EXPECT_TRUE(code == CodeAt(before) || code == CodeAt(time(nullptr))) << code << " " << CodeAt(before);

    Imported again = Import(bytes, c.key);
    EXPECT_EQ(again.lines, std::vector<std::string>({"Bank alice bank-pw", "Mail bob mail-pw"})) << again.error;
  }
}

// pykeepass looks up the recycle bin by the UUID Meta names, which must be
// there even when there is no bin.
TEST_F(KdbxPeers, WrittenDatabasesOpenInPykeepass) {
  std::string bytes, error;
  ASSERT_TRUE(WriteKdbxWith(SomeEntries(), KeyOf("new-pw"), CheapSettings(KdbxCipher::kChaCha20), &bytes, &error))
      << error;
  WriteTextFile(Path("out.kdbx"), bytes);
  WriteTextFile(Path("read.py"), R"(
from pykeepass import PyKeePass
kp = PyKeePass('out.kdbx', password='new-pw')
for entry in sorted(kp.entries, key=lambda entry: entry.title):
    print(entry.title, entry.username, entry.password)
print('bin:', kp.recyclebin_group)
kp.trash_entry(kp.find_entries(title='Mail', first=True))
kp.save()
)");
  EXPECT_EQ(Run("/usr/bin/python3 read.py"), "Bank alice bank-pw\nMail bob mail-pw\nbin: None\n");
  // Its recycle bin is KeePass's, which an import leaves out.
  Imported again = Import(ReadFile("out.kdbx"), KeyOf("new-pw"));
  EXPECT_EQ(again.lines, std::vector<std::string>({"Bank alice bank-pw"})) << again.error;
}

// References come out as written, with the UUIDs they name, so KeePassXC
// resolves them as the database it came from did.
TEST_F(KdbxPeers, WrittenReferencesResolveInKeepassxc) {
  ImportPlan plan(SafeFormat::kStrong);
  std::string error, bytes;
  ASSERT_TRUE(PlanImportText(ReadTextFile(QUILLBOX_TEST_DATA_DIR "/interchange/references.xml"), "", &plan, &error))
      << error;
  ASSERT_TRUE(WriteKdbxWith(plan.Entries(), KeyOf("new-pw"), CheapSettings(KdbxCipher::kTwofishCbc), &bytes, &error))
      << error;
  WriteTextFile(Path("out.kdbx"), bytes);
  EXPECT_EQ(Run("keepassxc-cli show -q -s -a UserName -a Password -a URL out.kdbx 'Bank app'", "new-pw\n"),
            "alice\nAbank-pwBC\nhttps://bank.example.org\n");
}

TEST(KdbxWriter, MeasuresItsArgon2PassesAndWritesEachFileAnew) {
  KdbxWriteSettings settings = CheapSettings(KdbxCipher::kChaCha20);
  settings.argon2_iterations = 0;  // measured
  settings.argon2_seconds = 0.05;
  std::string first, second, error;
  FileKey key = KeyOf("new-pw");
  ASSERT_TRUE(WriteKdbxWith(SomeEntries(), key, settings, &first, &error)) << error;
  ASSERT_TRUE(WriteKdbxWith(SomeEntries(), key, settings, &second, &error)) << error;
  KdbxContent content;
  ASSERT_TRUE(OpenKdbx(first, key, kKdbxWorkLimits, &content, &error)) << error;
  EXPECT_EQ(content.kdf.kind, KdbxKdfKind::kArgon2id);
  EXPECT_EQ(content.kdf.parallelism, 2u);
  EXPECT_GE(content.kdf.rounds, 1u);
  EXPECT_LE(content.kdf.rounds, 1000u);
  // New seeds, IV and inner key each time.
  EXPECT_NE(first.substr(0, 200), second.substr(0, 200));
}

}  // namespace

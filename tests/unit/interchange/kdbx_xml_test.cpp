// The XML inside a KDBX file: every protected value is XORed with the
// file's inner stream in the order it stands, wherever it stands, and
// version 4 writes its times as Base64 seconds.
#include <gtest/gtest.h>
#include <sodium.h>

#include <string>
#include <vector>

#include "interchange/base64_text.h"
#include "interchange/import_plan.h"
#include "interchange/keepass_xml.h"
#include "tests/unit/interchange/whole_entry_fixture.h"

namespace {

// Stands in for the file's cipher stream: byte i is i * 31 + 7, so a value
// XORed at the wrong place in the stream reads back as other bytes.
class CountingStream : public ProtectedValueStream {
 public:
  void Apply(std::span<uint8_t> bytes) override {
    for (uint8_t& byte : bytes) byte ^= static_cast<uint8_t>(used_++ * 31 + 7);
  }
  size_t used() const { return used_; }

 private:
  size_t used_ = 0;
};

std::string Base64(std::string_view bytes) {
  std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  text.pop_back();
  return text;
}

// A database's protected value, made the way KeePass makes it.
std::string Protect(std::string_view value, CountingStream& stream) {
  std::string bytes(value);
  stream.Apply({reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()});
  return Base64(bytes);
}

std::string KdbxTime(int64_t unix_seconds) {
  uint64_t since_year_1 = static_cast<uint64_t>(unix_seconds + 62135596800);
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(since_year_1 >> (8 * i)));
  return Base64(bytes);
}

bool ReadInto(std::string_view xml, ProtectedValueStream& stream, ImportPlan* plan, std::string* error) {
  ForeignFile file(plan);
  bool read = ReadKdbxXml(xml, stream, &file, error);
  if (read) plan->Finish(file, "kdbx");
  return read;
}

// The text with each {{value}} in it protected, in the order they stand.
std::string Protected(std::string_view text, CountingStream& stream) {
  std::string out;
  for (size_t open; (open = text.find("{{")) != std::string_view::npos;) {
    size_t close = text.find("}}", open);
    out.append(text.substr(0, open)).append(Protect(text.substr(open + 2, close - open - 2), stream));
    text.remove_prefix(close + 2);
  }
  return out.append(text);
}

// Protected values everywhere KeePass puts them, before and between the
// entry that is read: an attachment in Meta (version 3.1), a recycled
// entry, and the entry's own history, whose custom field is protected too.
std::string DatabaseXml(CountingStream& stream) {
  const std::string xml = R"(<?xml version="1.0" encoding="utf-8" standalone="yes"?>
<KeePassFile>
  <Meta>
    <Generator>KeePassXC</Generator>
    <RecycleBinUUID>cmVjeWNsZWQwMDAwMDAwMA==</RecycleBinUUID>
    <Binaries><Binary ID="0" Compressed="False" Protected="True">{{attachment bytes}}</Binary></Binaries>
  </Meta>
  <Root>
    <Group>
      <UUID>cm9vdDAwMDAwMDAwMDAwMA==</UUID>
      <Name>Root</Name>
      <Group>
        <UUID>cmVjeWNsZWQwMDAwMDAwMA==</UUID>
        <Name>Recycle Bin</Name>
        <Entry>
          <String><Key>Title</Key><Value>Deleted</Value></String>
          <String><Key>Password</Key><Value Protected="True">{{deleted password}}</Value></String>
        </Entry>
      </Group>
      <Group>
        <UUID>ZmluYW5jZTAwMDAwMDAwMA==</UUID>
        <Name>Finance</Name>
        <Group>
          <UUID>YmFua3MwMDAwMDAwMDAwMA==</UUID>
          <Name>Banks</Name>
          <Entry>
            <UUID>YmFuazAwMDAwMDAwMDAwMA==</UUID>
            <Tags>money;main bank</Tags>
            <Times>
              <CreationTime>)" +
                          KdbxTime(kCreated) + R"(</CreationTime>
              <LastModificationTime>)" +
                          KdbxTime(kModified) + R"(</LastModificationTime>
            </Times>
            <String><Key>Title</Key><Value>Bank</Value></String>
            <String><Key>UserName</Key><Value>jdoe</Value></String>
            <String><Key>Password</Key><Value Protected="True">{{n3w, "pass"}}</Value></String>
            <String><Key>URL</Key><Value>https://bank.example.com</Value></String>
            <String><Key>Notes</Key><Value>line one
line two</Value></String>
            <String><Key>PIN</Key><Value Protected="True">{{1234}}</Value></String>
            <String><Key>Branch</Key><Value>Main Street</Value></String>
            <String><Key>otp</Key><Value Protected="True">{{otpauth://totp/Bank:jdoe?secret=JBSWY3DPEHPK3PXP&period=30&digits=6}}</Value></String>
            <Binary><Key>scan.pdf</Key><Value Ref="0"/></Binary>
            <History>
              <Entry>
                <Times><LastModificationTime>2024-06-01T00:00:00Z</LastModificationTime></Times>
                <String><Key>Password</Key><Value Protected="True">{{older}}</Value></String>
                <String><Key>PIN</Key><Value Protected="True">{{0000}}</Value></String>
              </Entry>
              <Entry>
                <Times><LastModificationTime>)" +
                          KdbxTime(kCreated + 100) + R"(</LastModificationTime></Times>
                <String><Key>Password</Key><Value Protected="1">{{old}}</Value></String>
              </Entry>
            </History>
          </Entry>
        </Group>
      </Group>
      <Entry>
        <String><Key>Title</Key><Value>Mail</Value></String>
        <String><Key>Empty</Key><Value Protected="True"/></String>
        <String><Key>Password</Key><Value Protected="true">{{m41l}}</Value></String>
      </Entry>
    </Group>
  </Root>
</KeePassFile>
)";
  return Protected(xml, stream);
}

TEST(KdbxXml, EveryProtectedValueMovesTheStreamInDocumentOrder) {
  CountingStream writer;
  std::string xml = DatabaseXml(writer);
  CountingStream reader;
  ImportPlan plan(SafeFormat::kStrong);
  std::string error;
  ASSERT_TRUE(ReadInto(xml, reader, &plan, &error)) << error;
  EXPECT_EQ(reader.used(), writer.used()) << "every protected value, read or not, takes its bytes of the stream";
  ASSERT_EQ(plan.Entries().size(), 2u) << "the recycle bin's entry is not imported";
  EXPECT_EQ(Titled(plan.Entries(), "Deleted"), nullptr);
  const Entry* bank = Titled(plan.Entries(), "Bank");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->userName, "jdoe");
  EXPECT_EQ(bank->password, "n3w, \"pass\"");
  EXPECT_EQ(bank->url, "https://bank.example.com");
  EXPECT_EQ(bank->notes, "line one\nline two");
  EXPECT_NE(bank->totp.view().find("secret=JBSWY3DPEHPK3PXP"), std::string_view::npos) << bank->totp.view();
  EXPECT_EQ(Tags(*bank), std::vector<std::string>({"Finance/Banks", "main bank", "money"}));
  const CustomField* pin = bank->FindField("PIN");
  ASSERT_NE(pin, nullptr);
  EXPECT_EQ(pin->value, "1234");
  EXPECT_TRUE(pin->isProtected);
  const CustomField* branch = bank->FindField("Branch");
  ASSERT_NE(branch, nullptr);
  EXPECT_FALSE(branch->isProtected);
  EXPECT_EQ(bank->created, kCreated);
  EXPECT_EQ(bank->modified, kModified);
  ASSERT_EQ(bank->history.size(), 2u);
  EXPECT_EQ(bank->history[0].password, "older");
  EXPECT_EQ(bank->history[0].replacedAt, kCreated + 100) << "replaced when the next version was made";
  EXPECT_EQ(bank->history[1].password, "old");
  EXPECT_EQ(bank->history[1].replacedAt, kModified);
  const Entry* mail = Titled(plan.Entries(), "Mail");
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->password, "m41l") << "after an empty protected value, which takes no bytes";
  EXPECT_EQ(FormatImportSummary(plan.Summary(), ImportStage::kPreview),
            "2 entries read as kdbx.\n"
            "2 new entries to import.\n"
            "1 entry in the recycle bin, skipped.\n"
            "Left behind (the safe has no place for them): 1 attachment.\n");
}

// The whole entry, with what only the XML escapes and an empty protected
// field besides.
Entry KdbxEntry() {
  Entry entry = FullEntry();
  entry.password = "pa\"ss,1 <&>";
  entry.AddTag("remote");
  entry.SetField("Recovery", "", true);
  return entry;
}

TEST(KdbxXml, WrittenEntriesReadBackWithEveryFieldAndNothingInPlainText) {
  Entry plain;
  plain.title = "Plain";
  plain.password = "pl41n";
  std::vector<Entry> entries = {KdbxEntry(), plain};
  CountingStream writer;
  std::string xml, error;
  ASSERT_TRUE(WriteKdbxXml(entries, writer, &xml, &error)) << error;
  for (const char* secret : {"pa&quot;ss", "pa\"ss", "1234", "older", "pl41n", "JBSWY3DPEHPK3PXP"}) {
    EXPECT_EQ(xml.find(secret), std::string::npos) << secret << " in plain text";
  }
  EXPECT_NE(xml.find("<Generator>Quillbox</Generator>"), std::string::npos);
  EXPECT_NE(xml.find("<DatabaseName>"), std::string::npos);
  EXPECT_NE(xml.find("<RecycleBinEnabled>False</RecycleBinEnabled>"), std::string::npos);
  EXPECT_NE(xml.find("<CreationTime>" + KdbxTime(kCreated) + "</CreationTime>"), std::string::npos)
      << "times as Base64 seconds since year 1";
  EXPECT_EQ(xml.find("ProtectInMemory"), std::string::npos);

  CountingStream reader;
  ImportPlan plan(SafeFormat::kStrong);
  ASSERT_TRUE(ReadInto(xml, reader, &plan, &error)) << error;
  EXPECT_EQ(reader.used(), writer.used());
  ASSERT_EQ(plan.Entries().size(), 2u);
  const Entry& sent = entries[0];
  const Entry* back = Titled(plan.Entries(), sent.title.view());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->userName, sent.userName);
  EXPECT_EQ(back->password, sent.password);
  EXPECT_EQ(back->url, sent.url);
  EXPECT_EQ(back->notes, sent.notes);
  EXPECT_EQ(back->totp, sent.totp);
  EXPECT_EQ(Tags(*back), Tags(sent)) << "the group path and the other tags";
  EXPECT_EQ(back->created, sent.created);
  EXPECT_EQ(back->modified, sent.modified);
  ASSERT_EQ(back->history.size(), 2u);
  EXPECT_EQ(back->history[0], sent.history[0]);
  // KeePass keeps versions, not changes: the last password was replaced
  // when the entry as it is now was made.
  EXPECT_EQ(back->history[1].password, sent.history[1].password);
  for (const CustomField& field : sent.fields) {
    SCOPED_TRACE(field.name.view());
    const CustomField* kept = back->FindField(field.name.view());
    if (field.value.empty()) {
      EXPECT_EQ(kept, nullptr) << "an empty field loses nothing";
      continue;
    }
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*kept, field);
  }
  const Entry* second = Titled(plan.Entries(), "Plain");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->password, "pl41n");
}

TEST(KdbxXml, APlainExportIsWrittenAsBefore) {
  std::vector<Entry> entries = {KdbxEntry()};
  std::string xml, error;
  ASSERT_TRUE(WriteKeepassXml(entries, &xml, &error)) << error;
  EXPECT_NE(xml.find("<Value ProtectInMemory=\"True\">pa&quot;ss,1 &lt;&amp;&gt;</Value>"), std::string::npos);
  EXPECT_NE(xml.find("<CreationTime>2024-01-02T03:04:05Z</CreationTime>"), std::string::npos);
  EXPECT_EQ(xml.find("Protected=\"True\""), std::string::npos);
  EXPECT_EQ(xml.find("RecycleBin"), std::string::npos);
}

TEST(KdbxXml, MalformedDatabasesAreRefusedWithTheLine) {
  struct Case {
    const char* what;
    std::string xml;
    const char* reason;
  };
  const std::string head = "<KeePassFile><Root><Group><Name>Top</Name>\n<Entry>";
  const std::string tail = "</Entry></Group></Root></KeePassFile>";
  const Case cases[] = {
      {"not Base64", head + "<String><Key>Password</Key><Value Protected=\"True\">n0t base64!</Value></String>" + tail,
       "line 2: a protected value is not Base64"},
      {"elements inside",
       head + "<String><Key>Password</Key><Value Protected=\"True\">AAAA<b/></Value></String>" + tail,
       "line 2: a protected value holds elements instead of text"},
      {"document type",
       "<!DOCTYPE KeePassFile [<!ENTITY x \"y\">]>" + head + "<String><Key>Title</Key><Value>&x;</Value></String>" +
           tail,
       "line 1: the file declares a document type, which KeePass XML never has"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CountingStream stream;
    ImportPlan plan(SafeFormat::kStrong);
    std::string error;
    EXPECT_FALSE(ReadInto(c.xml, stream, &plan, &error));
    EXPECT_EQ(error, c.reason);
    EXPECT_TRUE(plan.Entries().empty());
  }
}

}  // namespace

TEST(Base64Text, ReadsWhatKeepassFamilyReadersTakeAndNothingElse) {
  struct Case {
    const char* text;
    const char* bytes;  // null: refused
  };
  const Case cases[] = {
      {"", ""},
      {"cGFzcw==", "pass"},
      {"cGFzc3c=", "passw"},
      {"cGFzc3dk", "passwd"},
      {"cGFzcw", "pass"},           // padding left out
      {" cGFz\r\ncw==\t", "pass"},  // white space anywhere
      {"cGFzcw==cw==", nullptr},    // padding inside
      {"cGFzc", nullptr},           // one digit over a whole group
      {"cGFzcw===", nullptr},       // too much padding
      {"cGF*cw==", nullptr},        // not the alphabet
      {"cGFzcw-_", nullptr},        // the URL alphabet is not KeePass's
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    size_t size = 0;
    // In place, as protected values are decoded.
    bool decoded = DecodeBase64(text.data(), text.size(), reinterpret_cast<uint8_t*>(text.data()), &size);
    ASSERT_EQ(decoded, c.bytes != nullptr);
    if (decoded) {
      EXPECT_EQ(text.substr(0, size), c.bytes);
    }
  }
  for (const std::string& bytes : {std::string(), std::string("a"), std::string("ab"), std::string("abc"),
                                   std::string("abcd"), std::string("\xff\x00\x7f", 3)}) {
    std::string text;
    AppendBase64({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, &text);
    EXPECT_EQ(text, Base64(bytes));
    EXPECT_EQ(text.size(), Base64Size(bytes.size()));
  }
}

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "safe/safe_format.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "tests/unit/safe/safe_test_records.h"

namespace {

constexpr char kPassword[] = "correct horse";

// Lines of three fields whose joined text, with its NUL, is exactly length bytes.
std::vector<std::string> LinesOfTextLength(size_t length) {
  std::vector<std::string> lines;
  size_t remaining = length - 1;
  while (remaining > 0) {
    if (!lines.empty()) remaining -= 2;
    size_t take = remaining > 204 ? 200 : remaining;
    std::string line = "d\tu\t" + std::string(take - 4, 'p');
    lines.push_back(line);
    remaining -= take;
  }
  return lines;
}

struct SizeCase {
  const char* name;
  std::vector<std::string> lines;
  uint32_t length;
  uint32_t total;
};

TEST(SafeFormat, RecordSizesFollowTheTextAndLoadBack) {
  const std::vector<SizeCase> cases = {
      {"empty list stores the sentence", {}, 76, 92},
      {"15 characters fill one block", {"abcde\tfghij\tklm"}, 16, 28},
      {"one full chunk", LinesOfTextLength(0x100000), 0x100000, 0x100000 + 12},
      {"chunk plus one byte", LinesOfTextLength(0x100001), 0x100001, 0x100010 + 12},
  };
  SafeTestDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EntryList entries;
    Fill(entries, c.lines);
    ASSERT_TRUE(SaveSafe("sizes", kPassword, entries));
    std::string file = ReadTextFile(dir.SafePath("sizes"));
    EXPECT_EQ(Le32(file, 0), c.length);
    EXPECT_EQ(Le32(file, file.size() - 4), c.total);
    EXPECT_EQ(file.size(), c.total);

    EntryList loaded;
    AddLine(loaded, "stale");
    ASSERT_TRUE(LoadSafe("sizes", kPassword, loaded));
    EXPECT_EQ(ToVector(loaded), c.lines);
  }
}

TEST(SafeFormat, EmptyListIsTheSentenceUnderTheKey) {
  SafeTestDir dir;
  EntryList entries;
  ASSERT_TRUE(SaveSafe("empty", kPassword, entries));
  std::string expected = EncryptRecord(
      kPassword, std::string("Build a better mousetrap and the world will beat a chicken on your doorstep", 76));
  EXPECT_EQ(ReadTextFile(dir.SafePath("empty")), expected);
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\r\n") + lines[i];
  return text;
}

TEST(SafeFormat, LinesAcrossTheChunkBoundary) {
  // Lines whose joined text ends just before the first chunk's last byte.
  const auto head = LinesOfTextLength(0x100000);
  auto lastHasCr = head;
  lastHasCr.back() += "\rx";  // a lone CR as the chunk's last byte is text
  auto spanning = head;
  spanning.back() += "spans";
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  };
  auto withTail = [&](std::vector<std::string> lines) {
    lines.push_back("tail\tt\tt");
    return lines;
  };
  const std::vector<Case> cases = {
      {"separator split between chunks", Join(withTail(head)), withTail(head)},
      {"lone CR at the chunk's end", Join(withTail(lastHasCr)), withTail(lastHasCr)},
      {"line spanning the chunks", Join(withTail(spanning)), withTail(spanning)},
      {"NUL ends the text early", Join(head) + std::string(1, '\0') + std::string(300, 'z'), head},
  };
  SafeTestDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteTextFile(dir.SafePath("chunks"), EncryptRecord(kPassword, c.text + std::string(1, '\0')));
    EntryList entries;
    ASSERT_TRUE(LoadSafe("chunks", kPassword, entries));
    EXPECT_EQ(ToVector(entries), c.lines);
  }
}

struct LoadCase {
  const char* name;
  std::string file;
  SafeLoadResult result;           // a changed CRC cannot be told from a wrong password
  std::vector<std::string> lines;  // the list afterwards
};

TEST(SafeFormat, LoaderChecksRecordsAndLines) {
  const std::string field260(260, 'f');
  const std::string field261(261, 'f');
  const std::string good = EncryptRecord(kPassword, std::string("a\tb\tc\r\nd\te\tf", 13));
  std::string truncated = good.substr(0, good.size() - 5);
  std::string tooLongTrailer = good;
  SetLe32(tooLongTrailer, good.size() - 4, static_cast<uint32_t>(good.size() + 1));
  std::string lengthBeyondTrailer = good;
  SetLe32(lengthBeyondTrailer, 0, 0xFFFFFFF0u);
  std::string tinyTrailer = good;
  SetLe32(tinyTrailer, good.size() - 4, 8);
  std::string badCrc = good;
  badCrc[good.size() - 8] ^= 1;
  const std::vector<std::string> untouched = {"before\t\t"};

  const std::vector<LoadCase> cases = {
      {"valid record", good, SafeLoadResult::kLoaded, {"a\tb\tc", "d\te\tf"}},
      {"bytes in front are ignored", "junk in front" + good, SafeLoadResult::kLoaded, {"a\tb\tc", "d\te\tf"}},
      {"truncated file", truncated, SafeLoadResult::kDamaged, untouched},
      {"trailer larger than the file", tooLongTrailer, SafeLoadResult::kDamaged, untouched},
      {"length beyond the trailer", lengthBeyondTrailer, SafeLoadResult::kDamaged, untouched},
      {"trailer too small for a record", tinyTrailer, SafeLoadResult::kDamaged, untouched},
      {"stored CRC differs", badCrc, SafeLoadResult::kWrongPassword, untouched},
      {"shorter than a trailer", "abc", SafeLoadResult::kDamaged, untouched},
      {"empty file", "", SafeLoadResult::kDamaged, untouched},
      {"wrong password", EncryptRecord("other", std::string("a\tb\tc", 6)), SafeLoadResult::kWrongPassword, untouched},
      {"only the NUL is one field", EncryptRecord(kPassword, std::string(1, '\0')), SafeLoadResult::kDamaged, {}},
      {"a fourth field empties the list",
       EncryptRecord(kPassword, std::string("a\tb\tc\r\na\tb\tc\td", 15)),
       SafeLoadResult::kDamaged,
       {}},
      {"260 characters are kept",
       EncryptRecord(kPassword, field260 + "\tb\tc" + std::string(1, '\0')),
       SafeLoadResult::kLoaded,
       {field260 + "\tb\tc"}},
      {"261 characters drop the line",
       EncryptRecord(kPassword, "x\ty\tz\r\n" + field261 + "\tb\tc\r\nk\tl\tm" + std::string(1, '\0')),
       SafeLoadResult::kLoaded,
       {"x\ty\tz", "k\tl\tm"}},
      {"two long lines in a row both drop",
       EncryptRecord(kPassword, "a\t" + field261 + "\tc\r\n" + field261 + "\tb\tc\r\nk\tl\tm" + std::string(1, '\0')),
       SafeLoadResult::kLoaded,
       {"k\tl\tm"}},
      {"a text without NUL ends at L", EncryptRecord(kPassword, "a\tb\tc", 5), SafeLoadResult::kLoaded, {"a\tb\tc"}},
      // Pad bytes mean nothing but are under the CRC as they were written.
      {"pad bytes that are not zero",
       EncryptRecord(kPassword, std::string("a\tb\tc", 6), 6, '\xA5'),
       SafeLoadResult::kLoaded,
       {"a\tb\tc"}},
      {"empty safe with such pad bytes",
       EncryptRecord(kPassword, std::string(kEmptySafeSentence, 76), 76, '\xA5'),
       SafeLoadResult::kLoaded,
       {}},
      {"L of zero", EncryptRecord(kPassword, "", 0), SafeLoadResult::kDamaged, {}},
  };
  SafeTestDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteTextFile(dir.SafePath("crafted"), c.file);
    EntryList entries;
    Fill(entries, untouched);
    int refreshes = 0;
    EXPECT_EQ(LoadSafeWithResult("crafted", kPassword, entries, false, [&] { ++refreshes; }), c.result);
    EXPECT_EQ(ToVector(entries), c.lines);
    EXPECT_EQ(refreshes, c.result == SafeLoadResult::kLoaded ? 1 : 0);
  }
}

TEST(SafeFormat, VerifyOnlyKeepsTheListAndDoesNotRefresh) {
  SafeTestDir dir;
  WriteTextFile(dir.SafePath("verify"), EncryptRecord(kPassword, std::string("a\tb\tc", 6)));
  EntryList entries;
  AddLine(entries, "kept");
  int refreshes = 0;
  EXPECT_TRUE(LoadSafe("verify", kPassword, entries, true, [&] { ++refreshes; }));
  EXPECT_FALSE(LoadSafe("verify", "wrong", entries, true, [&] { ++refreshes; }));
  EXPECT_EQ(ToVector(entries), std::vector<std::string>{"kept\t\t"});
  EXPECT_EQ(refreshes, 0);
}

TEST(SafeFormat, MissingSafeFailsAndKeepsTheList) {
  SafeTestDir dir;
  EntryList entries;
  AddLine(entries, "kept");
  EXPECT_FALSE(SafeExists("nobody"));
  EXPECT_EQ(LoadSafeWithResult("nobody", kPassword, entries), SafeLoadResult::kMissing);
  EXPECT_EQ(ToVector(entries), std::vector<std::string>{"kept\t\t"});
}

}  // namespace

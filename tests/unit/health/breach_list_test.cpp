#include "health/breach_list.h"

#include <fenv.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/health/breach_file.h"

namespace {

class BreachListTest : public ScratchDirTest {
 protected:
  // Opens a list of the passwords among fillers, written with lineEnd.
  std::string Write(const std::vector<BreachLine>& lines, const char* lineEnd = "\n") {
    std::string path = Path("pwned.txt");
    WriteTextFile(path, BreachFileText(lines, lineEnd));
    return path;
  }

  uint64_t CountOf(const BreachList& list, const std::string& password) {
    BreachList::Lookup found = list.Find(SecretText(password));
    EXPECT_EQ(found.error, "") << password;
    return found.count;
  }
};

TEST_F(BreachListTest, FindsEveryListedHashFirstToLastAndNoOther) {
  std::vector<std::string> passwords;
  for (int i = 0; i < 300; ++i) passwords.push_back("password " + std::to_string(i));
  std::vector<BreachLine> lines = SortedBreachLines(passwords, 3000);
  for (const char* lineEnd : {"\n", "\r\n"}) {
    BreachList list;
    ASSERT_EQ(list.Open(Write(lines, lineEnd)), "");
    for (size_t i = 0; i < passwords.size(); ++i) EXPECT_EQ(CountOf(list, passwords[i]), 1000 + i) << passwords[i];
    EXPECT_EQ(CountOf(list, "filler 0"), 1u);
    for (const char* absent : {"", "not listed", "password 300", "Password 1"}) EXPECT_EQ(CountOf(list, absent), 0u);
  }
}

TEST_F(BreachListTest, FirstAndLastLinesAndAOneLineFile) {
  std::vector<BreachLine> lines = SortedBreachLines({}, 500);
  std::string first = "filler ", last;
  for (int i = 0; i < 500; ++i) {
    std::string filler = "filler " + std::to_string(i);
    if (Sha1Hex(filler) == lines.front().hash) first = filler;
    if (Sha1Hex(filler) == lines.back().hash) last = filler;
  }
  lines.front().count = 7;
  lines.back().count = 9;
  std::string path = Path("pwned.txt");
  // No line break after the last line: some tools leave it out.
  std::string text = BreachFileText(lines);
  text.pop_back();
  WriteTextFile(path, text);
  BreachList list;
  ASSERT_EQ(list.Open(path), "");
  EXPECT_EQ(CountOf(list, first), 7u);
  EXPECT_EQ(CountOf(list, last), 9u);

  WriteTextFile(path, BreachFileText({{Sha1Hex("only"), 5}}));
  ASSERT_EQ(list.Open(path), "");
  EXPECT_EQ(CountOf(list, "only"), 5u);
  EXPECT_EQ(CountOf(list, "other"), 0u);
}

// The probes aim where evenly spread hashes would put the digest; a list
// crowded at one end (an extract, a forged file) is searched right too.
TEST_F(BreachListTest, UnevenlySpreadHashesAreFoundToo) {
  std::vector<std::string> passwords = {"alpha", "bravo", "charlie", "delta"};
  std::vector<BreachLine> lines = SortedBreachLines(passwords, 0);
  for (int i = 0; i < 20000; ++i) lines.push_back({"0000000000" + Sha1Hex("crowd " + std::to_string(i)).substr(10), 7});
  lines.push_back({std::string(40, 'F'), 9});
  std::sort(lines.begin(), lines.end(), [](const BreachLine& a, const BreachLine& b) { return a.hash < b.hash; });
  BreachList list;
  ASSERT_EQ(list.Open(Write(lines)), "");
  for (size_t i = 0; i < passwords.size(); ++i) EXPECT_EQ(CountOf(list, passwords[i]), 1000 + i) << passwords[i];
  EXPECT_EQ(CountOf(list, "echo"), 0u);
}

// Hashes that share their first 8 bytes have the same place in the range,
// so bounds among them leave nothing to interpolate by: the search steps or
// halves instead of dividing by their difference (with traps on, 0/0 would
// stop the test with SIGFPE).
TEST_F(BreachListTest, NeighboursSharingTheirFirst8BytesAreSearched) {
  std::vector<BreachLine> lines = SortedBreachLines({}, 200);
  const std::string listed = Sha1Hex("listed"), absent = Sha1Hex("absent");
  // Lines on both sides of each digest with its first 8 bytes, so the
  // search narrows to bounds that share them with lines still between.
  for (const std::string& hash : {listed, absent}) {
    for (char digit : std::string("0123456789ABCDEF"))
      lines.push_back({hash.substr(0, 16) + std::string(24, digit), 3});
  }
  lines.push_back({listed, 5});
  std::sort(lines.begin(), lines.end(), [](const BreachLine& a, const BreachLine& b) { return a.hash < b.hash; });
  BreachList list;
  ASSERT_EQ(list.Open(Write(lines)), "");
  feenableexcept(FE_DIVBYZERO | FE_INVALID);
  uint64_t listedCount = CountOf(list, "listed"), absentCount = CountOf(list, "absent");
  fedisableexcept(FE_DIVBYZERO | FE_INVALID);
  EXPECT_EQ(listedCount, 5u);
  EXPECT_EQ(absentCount, 0u);
}

// Another program may shorten the file while a report searches it; the
// look-up then says so instead of the process dying of SIGBUS.
TEST_F(BreachListTest, AFileCutShortWhileOpenIsAnErrorNotACrash) {
  std::vector<std::string> passwords;
  for (int i = 0; i < 100; ++i) passwords.push_back("pw" + std::to_string(i));
  const std::vector<BreachLine> lines = SortedBreachLines(passwords, 20000);
  for (off_t keep : {off_t{0}, off_t{4096}}) {
    std::string path = Write(lines);
    BreachList list;
    ASSERT_EQ(list.Open(path), "");
    ASSERT_EQ(truncate(path.c_str(), keep), 0);
    int cutShort = 0;
    for (const std::string& password : passwords) {
      BreachList::Lookup found = list.Find(SecretText(password));
      if (found.error.empty()) continue;  // its line lies in what was kept
      EXPECT_EQ(found.count, 0u) << password;
      EXPECT_EQ(found.error, "The breach list " + path + " was cut short or could not be read while it was searched.");
      ++cutShort;
    }
    EXPECT_GT(cutShort, 90) << "kept " << keep;
  }
}

TEST_F(BreachListTest, LowerCaseHashesAreFoundToo) {
  std::vector<BreachLine> lines = SortedBreachLines({"hunter2"}, 100);
  for (BreachLine& line : lines) std::transform(line.hash.begin(), line.hash.end(), line.hash.begin(), ::tolower);
  BreachList list;
  ASSERT_EQ(list.Open(Write(lines)), "");
  EXPECT_EQ(CountOf(list, "hunter2"), 1000u);
}

TEST_F(BreachListTest, FilesThatAreNoBreachListAreToldByName) {
  std::string good = BreachFileText(SortedBreachLines({"a"}, 50));
  const struct {
    const char* what;
    std::string text;
    const char* message;
  } kCases[] = {
      {"empty", "", "is empty"},
      {"prose", "hello world\n", "is not HASH:COUNT"},
      {"no colon", std::string(40, 'A') + " 12\n", "is not HASH:COUNT"},
      {"short hash", std::string(39, 'A') + ":12\n", "is not HASH:COUNT"},
      {"not hex", std::string(39, 'A') + "G:12\n", "is not HASH:COUNT"},
      {"no count", std::string(40, 'A') + ":\n", "is not HASH:COUNT"},
      {"count not a number", std::string(40, 'A') + ":1x\n", "is not HASH:COUNT"},
      {"count too large", std::string(40, 'A') + ":99999999999999999999\n", "is not HASH:COUNT"},
      {"one long line", std::string(5000, 'A') + "\n", "is not HASH:COUNT"},
      {"blank line inside", good.substr(0, good.find('\n') + 1) + "\n" + good.substr(good.find('\n') + 1),
       "is not HASH:COUNT"},
      {"by prevalence", "", "is not sorted"},
      {"descending", "", "is not sorted"},
      {"a repeated hash", "", "is not sorted"},
  };
  std::vector<BreachLine> lines = SortedBreachLines({}, 2000);
  std::vector<BreachLine> byCount = lines;
  for (size_t i = 0; i < byCount.size(); ++i) byCount[i].count = 1 + (i * 7919) % 2000;
  std::sort(byCount.begin(), byCount.end(), [](const BreachLine& a, const BreachLine& b) { return a.count > b.count; });
  std::vector<BreachLine> descending(lines.rbegin(), lines.rend());
  // A small list is checked whole when it opens.
  std::vector<BreachLine> repeated(lines.begin(), lines.begin() + 200);
  repeated.insert(repeated.begin() + 101, repeated[100]);
  for (const auto& c : kCases) {
    std::string text = c.text;
    if (std::string(c.what) == "by prevalence") text = BreachFileText(byCount);
    if (std::string(c.what) == "descending") text = BreachFileText(descending);
    if (std::string(c.what) == "a repeated hash") text = BreachFileText(repeated);
    std::string path = Path("list.txt");
    WriteTextFile(path, text);
    BreachList list;
    std::string error = list.Open(path);
    EXPECT_NE(error.find(path), std::string::npos) << c.what << ": " << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    EXPECT_FALSE(list.IsOpen()) << c.what;
  }
}

TEST_F(BreachListTest, MissingFilesAndFoldersAreToldApart) {
  BreachList list;
  EXPECT_EQ(list.Open(Path("absent.txt")), "The breach list " + Path("absent.txt") + " does not exist.");
  EXPECT_EQ(list.Open(dir_.Root()), "The breach list " + dir_.Root() + " is not a file.");
  EXPECT_EQ(list.Open("/dev/null"), "The breach list /dev/null is not a file.");
  // Named by mistake, a FIFO is refused at once rather than waited on for a writer.
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_EQ(list.Open(Path("fifo")), "The breach list " + Path("fifo") + " is not a file.");
}

// Lines between the sampled ones are checked as a look-up meets them: a
// damaged line on the way gives an error, never a count.
TEST_F(BreachListTest, ADamagedLineMetByALookupIsToldNotCounted) {
  std::vector<std::string> passwords;
  for (int i = 0; i < 200; ++i) passwords.push_back("pw" + std::to_string(i));
  std::vector<BreachLine> lines = SortedBreachLines(passwords, 6000);
  int opened = 0;
  for (const std::string& password : passwords) {
    std::string hash = Sha1Hex(password);
    std::string text = BreachFileText(lines);
    size_t at = text.find(hash + ":");
    text[at + 40] = ';';
    std::string path = Path("damaged.txt");
    WriteTextFile(path, text);
    BreachList list;
    if (!list.Open(path).empty()) continue;  // the sample met it first
    ++opened;
    BreachList::Lookup found = list.Find(SecretText(password));
    EXPECT_EQ(found.count, 0u) << password;
    EXPECT_NE(found.error.find("is not HASH:COUNT"), std::string::npos) << password;
  }
  EXPECT_GT(opened, 100);
}

}  // namespace

#include "core/cpstringarray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/heapstring.h"
#include "scratch_dir.h"

namespace {

std::vector<std::string> Items(const cpStringArray& list) {
  std::vector<std::string> items;
  for (uint32_t i = 0; i < list.GetCount(); ++i) items.emplace_back(list.GetAt(i));
  return items;
}

using Pieces = std::vector<std::string>;

TEST(cpStringArrayTest, SplitShapes) {
  const struct {
    const char* text;
    const char* separator;
    bool result;
    Pieces pieces;
  } cases[] = {
      {"a\r\nb", "\r\n", true, {"a", "b"}},
      {"a\r\n", "\r\n", true, {"a", ""}},
      {"a\t\tb", "\t", true, {"a", "", "b"}},
      {"", "\t", true, {""}},
      {"\t", "\t", true, {"", ""}},
      {"no separator", ",", true, {"no separator"}},
      {"aXbxc", "x", true, {"aXb", "c"}},  // case-sensitive
      {"a::b:::c", "::", true, {"a", "b", ":c"}},
      {nullptr, "\t", true, {}},
      {"a\tb", "", false, {}},
  };
  for (const auto& c : cases) {
    cpStringArray list;
    list.Add("before");
    EXPECT_EQ(list.Split(c.text, c.separator), c.result) << (c.text ? c.text : "(null)");
    Pieces expected = {"before"};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    EXPECT_EQ(Items(list), expected) << (c.text ? c.text : "(null)");
  }
}

TEST(cpStringArrayTest, SplitLinesShapes) {
  const struct {
    const char* text;
    Pieces lines;
  } cases[] = {
      {"a\r\nb\rc\n", {"a", "b", "c", ""}},
      {"x", {"x"}},
      {"", {""}},
      {"\r\r\n", {"", "", ""}},
  };
  for (const auto& c : cases) {
    cpStringArray list;
    EXPECT_TRUE(list.SplitLines(c.text));
    EXPECT_EQ(Items(list), c.lines);
  }
  cpStringArray list;
  EXPECT_FALSE(list.SplitLines(nullptr));
  EXPECT_EQ(list.GetCount(), 0u);
}

TEST(cpStringArrayTest, JoinShapes) {
  const struct {
    Pieces items;
    const char* separator;
    const char* joined;
  } cases[] = {
      {{}, "\r\n", ""},
      {{"only"}, "\r\n", "only"},
      {{"a", "", "c"}, "\r\n", "a\r\n\r\nc"},
      {{"a", "b"}, nullptr, "ab"},
      {{"", ""}, "\t", "\t"},
  };
  for (const auto& c : cases) {
    cpStringArray list;
    for (const auto& item : c.items) list.Add(item.c_str());
    char* joined = list.Join(c.separator);
    ASSERT_NE(joined, nullptr);
    EXPECT_STREQ(joined, c.joined);
    FreeString(joined);
  }
}

TEST(cpStringArrayTest, SplitThenJoinRoundTrips) {
  const char* texts[] = {"a\tb\t\tc", "\t", "", "x\t"};
  for (const char* text : texts) {
    cpStringArray list;
    ASSERT_TRUE(list.Split(text, "\t"));
    char* joined = list.Join("\t");
    EXPECT_STREQ(joined, text);
    FreeString(joined);
  }
}

TEST(cpStringArrayTest, GrowthSequence) {
  cpStringArray list;
  EXPECT_EQ(list.GetCapacity(), 0u);
  std::vector<uint32_t> capacities;
  for (int i = 0; i < 16; ++i) {
    list.Add("item");
    if (capacities.empty() || capacities.back() != list.GetCapacity()) capacities.push_back(list.GetCapacity());
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{2, 6, 14, 30}));
  // Removal never shrinks the slot storage.
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetCapacity(), 30u);
  list.Truncate(0);
  EXPECT_EQ(list.GetCapacity(), 30u);
}

TEST(cpStringArrayTest, IndexEqualToCountChangesNothing) {
  cpStringArray list;
  list.Add("a");
  list.Add("b");
  const uint32_t end = list.GetCount();
  EXPECT_EQ(list.GetAt(end), nullptr);
  EXPECT_EQ(list.Detach(end), nullptr);
  list.RemoveAt(end);
  char* replacement = FormatString("%s", "c");
  EXPECT_EQ(list.SetAt(end, replacement), nullptr);
  FreeString(replacement);  // still the caller's
  EXPECT_EQ(list.SetAt(0, nullptr), nullptr);
  EXPECT_EQ(Items(list), (Pieces{"a", "b"}));
  EXPECT_EQ(list.InsertAt(end + 1, "beyond"), nullptr);
  EXPECT_EQ(Items(list), (Pieces{"a", "b"}));
}

TEST(cpStringArrayTest, ItemOperationsKeepOrderAndOwnership) {
  cpStringArray list;
  EXPECT_EQ(list.GetLast(), nullptr);
  char* stored = list.Add("b");
  ASSERT_NE(stored, nullptr);
  EXPECT_TRUE(list.InsertFront("a"));
  EXPECT_NE(list.InsertAt(2, "d"), nullptr);  // index = count appends
  EXPECT_NE(list.InsertAt(2, "c"), nullptr);
  EXPECT_EQ(Items(list), (Pieces{"a", "b", "c", "d"}));
  EXPECT_STREQ(list.GetLast(), "d");

  char* owned = FormatString("%s", "e");
  EXPECT_EQ(list.AddOwned(owned), owned);
  EXPECT_EQ(list.AddOwned(nullptr), nullptr);

  char* previous = list.SetAt(1, FormatString("%s", "B"));
  EXPECT_EQ(previous, stored);
  FreeString(previous);

  char* detached = list.Detach(0);
  EXPECT_STREQ(detached, "a");
  FreeString(detached);
  list.RemoveAt(1);
  EXPECT_EQ(Items(list), (Pieces{"B", "d", "e"}));
  EXPECT_EQ(list.TotalLength(), 3u);

  list.Truncate(5);
  EXPECT_EQ(list.GetCount(), 3u);
  list.Truncate(1);
  EXPECT_EQ(Items(list), (Pieces{"B"}));
}

TEST(cpStringArrayTest, ForEachVisitsInOrderAndGivesLastResult) {
  cpStringArray list;
  EXPECT_EQ(list.ForEach([](char* item) -> void* { return item; }), nullptr);
  list.Add("one");
  list.Add("two");
  std::string visited;
  void* last = list.ForEach([&](char* item) -> void* {
    visited += item;
    return item;
  });
  EXPECT_EQ(visited, "onetwo");
  EXPECT_EQ(last, list.GetAt(1));
}

TEST(cpStringArrayTest, TrimAllTrimsEveryItem) {
  cpStringArray list;
  list.Add(" \ta\t ");
  list.Add("  ");
  list.Add("\xA0x ");
  list.TrimLeftAll();
  EXPECT_EQ(Items(list), (Pieces{"a\t ", "", "\xA0x "}));
  list.TrimRightAll();
  EXPECT_EQ(Items(list), (Pieces{"a", "", "\xA0x"}));
}

TEST(cpStringArrayTest, SwapExchangesContents) {
  cpStringArray first;
  cpStringArray second;
  first.Add("x");
  second.Add("y");
  second.Add("z");
  first.Swap(second);
  EXPECT_EQ(Items(first), (Pieces{"y", "z"}));
  EXPECT_EQ(Items(second), (Pieces{"x"}));
}

TEST(cpStringArrayTest, WipingListReleasesLikeAnyOther) {
  cpStringArray list;
  list.SetWipeOnRelease(true);
  ASSERT_TRUE(list.Split("Bank\tjo\tsecret", "\t"));
  list.RemoveAt(2);
  list.Truncate(1);
  EXPECT_EQ(Items(list), (Pieces{"Bank"}));
}

TEST(cpStringArrayTest, WriteToFileJoinsWithCrLf) {
  ScratchDir dir;
  cpStringArray list;
  list.Add("a\tb\tc");
  list.Add("");
  list.Add("d");
  const std::string path = dir.Path("list.txt");
  ASSERT_TRUE(list.WriteToFile(path.c_str(), true));
  EXPECT_EQ(ReadTextFile(path), "a\tb\tc\r\n\r\nd");
  EXPECT_EQ(dir.Listing(), "list.txt");
}

}  // namespace

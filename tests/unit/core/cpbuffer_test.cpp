#include "core/cpbuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scratch_dir.h"

namespace {

void Fill(cpBuffer& buffer, const std::string& bytes) {
  ASSERT_TRUE(buffer.SetSize(static_cast<uint32_t>(bytes.size())));
  memcpy(buffer.GetData(), bytes.data(), bytes.size());
}

TEST(cpBufferTest, NewBufferHoldsOneNul) {
  cpBuffer buffer;
  EXPECT_EQ(buffer.GetSize(), 0u);
  EXPECT_EQ(buffer.GetCapacity(), 1u);
  ASSERT_NE(buffer.GetData(), nullptr);
  EXPECT_EQ(buffer.GetData()[0], 0);
}

TEST(cpBufferTest, SetSizeKeepsOrReplacesBlock) {
  const struct {
    uint32_t from;
    uint32_t to;
    bool sameBlock;
    uint32_t capacity;
  } cases[] = {
      {10, 4, true, 11}, {10, 10, true, 11}, {10, 0, true, 11}, {10, 11, false, 12}, {0, 1, false, 2},
  };
  for (const auto& c : cases) {
    cpBuffer buffer;
    Fill(buffer, std::string(c.from, 'q'));
    const unsigned char* before = buffer.GetData();
    ASSERT_TRUE(buffer.SetSize(c.to));
    EXPECT_EQ(buffer.GetCapacity(), c.capacity) << c.from << "->" << c.to;
    EXPECT_EQ(buffer.GetSize(), c.to);
    EXPECT_EQ(buffer.GetData()[c.to], 0);
    // A fresh block may land at the old address, so only reuse is checked.
    if (c.sameBlock) {
      EXPECT_EQ(buffer.GetData(), before) << c.from << "->" << c.to;
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.GetData())), std::string(c.to, 'q'));
    }
  }
}

TEST(cpBufferTest, SizeWithoutRoomForNulFailsAndEmpties) {
  cpBuffer buffer;
  Fill(buffer, "abc");
  EXPECT_FALSE(buffer.SetSize(UINT32_MAX));
  EXPECT_EQ(buffer.GetSize(), 0u);
  EXPECT_EQ(buffer.GetCapacity(), 0u);
  ASSERT_NE(buffer.GetData(), nullptr);
  EXPECT_EQ(buffer.GetData()[0], 0);
  EXPECT_TRUE(buffer.SetSize(2));
  EXPECT_EQ(buffer.GetCapacity(), 3u);
}

TEST(cpBufferTest, CompareOrdersBySizeThenBytes) {
  const struct {
    std::string a;
    std::string b;
    int order;
  } cases[] = {
      {"ab", "abc", -1},
      {"zz", "abc", -1},  // shorter is smaller whatever the bytes
      {"abc", "ab", 1},
      {"ab", "ac", -1},
      {"ac", "ab", 1},
      {std::string("a\x80", 2), std::string("a\x7f", 2), 1},  // bytes compare unsigned
      {std::string("\0x", 2), std::string("\0y", 2), -1},     // NULs are content too
      {"", "", 0},
      {"same", "same", 0},
  };
  for (const auto& c : cases) {
    cpBuffer a;
    cpBuffer b;
    Fill(a, c.a);
    Fill(b, c.b);
    EXPECT_EQ(cpBuffer::Compare(a, b), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(a.Equals(b), c.order == 0);
  }
  cpBuffer self;
  EXPECT_EQ(cpBuffer::Compare(self, self), 0);
}

TEST(cpBufferTest, SaveAndLoadRoundTrip) {
  ScratchDir dir;
  const std::string path = dir.Path("blob.bin");
  const std::string bytes("sig\0\x01\xff tail", 11);
  cpBuffer saved;
  Fill(saved, bytes);
  ASSERT_TRUE(saved.SaveToFile(path.c_str(), true));
  EXPECT_EQ(ReadTextFile(path), bytes);

  cpBuffer loaded;
  Fill(loaded, "previous contents");
  ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
  EXPECT_TRUE(loaded.Equals(saved));
  EXPECT_EQ(loaded.GetData()[loaded.GetSize()], 0);

  EXPECT_FALSE(loaded.LoadFromFile(dir.Path("missing").c_str()));
  EXPECT_FALSE(loaded.LoadFromFile(dir.Path("").c_str()));  // a directory
}

TEST(cpBufferTest, LoadsEmptyFile) {
  ScratchDir dir;
  const std::string path = dir.Path("empty");
  WriteTextFile(path, "");
  cpBuffer buffer;
  Fill(buffer, "xyz");
  ASSERT_TRUE(buffer.LoadFromFile(path.c_str()));
  EXPECT_EQ(buffer.GetSize(), 0u);
  EXPECT_EQ(buffer.GetData()[0], 0);
}

}  // namespace

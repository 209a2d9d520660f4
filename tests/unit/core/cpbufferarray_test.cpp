#include "core/cpbufferarray.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<int> gReleased;

void RecordRelease(void* item) { gReleased.push_back(*static_cast<int*>(item)); }

TEST(cpPtrArrayTest, TruncateReleasesFromTheEnd) {
  gReleased.clear();
  int values[] = {1, 2, 3, 4};
  {
    cpPtrArray array(RecordRelease);
    for (int& value : values) ASSERT_TRUE(array.Add(&value));
    ASSERT_TRUE(array.Add(nullptr));  // null slots are skipped on release
    EXPECT_EQ(array.GetCapacity(), 6u);
    array.Truncate(2);
    EXPECT_EQ(gReleased, (std::vector<int>{4, 3}));
    EXPECT_EQ(array.GetCapacity(), 6u);  // a non-zero count keeps the slots
    EXPECT_EQ(array.GetAt(1), &values[1]);
    EXPECT_EQ(array.GetAt(2), nullptr);
  }
  EXPECT_EQ(gReleased, (std::vector<int>{4, 3, 2, 1}));
}

TEST(cpPtrArrayTest, UnownedItemsAreLeftAlone) {
  int value = 7;
  cpPtrArray array;
  ASSERT_TRUE(array.Add(&value));
  array.Truncate(0);
  EXPECT_EQ(array.GetCount(), 0u);
  EXPECT_EQ(value, 7);
}

std::string Joined(const cpBufferArray& chunks) {
  cpBuffer target;
  EXPECT_TRUE(chunks.Concatenate(target));
  return std::string(reinterpret_cast<const char*>(target.GetData()), target.GetSize());
}

TEST(cpBufferArrayTest, ConcatenateJoinsChunksInOrder) {
  cpBufferArray chunks;
  EXPECT_EQ(Joined(chunks), "");
  ASSERT_TRUE(chunks.AddCopy("GET ", 4));
  ASSERT_TRUE(chunks.AddCopy("", 0));
  ASSERT_TRUE(chunks.AddCopy("a\0b", 3));
  auto* owned = static_cast<unsigned char*>(malloc(2));
  memcpy(owned, "!!", 2);
  ASSERT_TRUE(chunks.AddOwned(owned, 2));
  EXPECT_EQ(chunks.GetRecord(3)->data, owned);
  EXPECT_EQ(Joined(chunks), std::string("GET a\0b!!", 9));

  cpBuffer target;
  ASSERT_TRUE(chunks.Concatenate(target));
  EXPECT_EQ(target.GetData()[target.GetSize()], 0);
}

TEST(cpBufferArrayTest, EmptyCopyHoldsOneByteBlock) {
  cpBufferArray chunks;
  ASSERT_TRUE(chunks.AddCopy(nullptr, 0));
  const cpBufferRecord* record = chunks.GetRecord(0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->size, 0u);
  EXPECT_NE(record->data, nullptr);
  EXPECT_FALSE(chunks.AddCopy(nullptr, 5));
  EXPECT_EQ(chunks.GetCount(), 1u);
}

TEST(cpBufferArrayTest, TruncateToZeroFreesEverything) {
  cpBufferArray chunks;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(chunks.AddCopy("chunk", 5));
  EXPECT_EQ(chunks.GetCapacity(), 6u);
  chunks.Truncate(0);
  EXPECT_EQ(chunks.GetCount(), 0u);
  EXPECT_EQ(chunks.GetCapacity(), 0u);
  EXPECT_EQ(chunks.GetRecord(0), nullptr);
  ASSERT_TRUE(chunks.AddCopy("x", 1));
  EXPECT_EQ(chunks.GetCapacity(), 2u);
}

}  // namespace

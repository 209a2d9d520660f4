#include "secret_service/object_paths.h"

#include <gtest/gtest.h>

namespace {

TEST(ObjectPaths, CollectionsAreNamedAfterTheUserInPathCharacters) {
  EXPECT_EQ(CollectionPath("alice"), "/org/freedesktop/secrets/collection/alice");
  EXPECT_EQ(CollectionPath("J. Doe_1"), "/org/freedesktop/secrets/collection/J_2e_20Doe_5f1");
  EXPECT_EQ(CollectionPath("\xc3\xa9"), "/org/freedesktop/secrets/collection/_c3_a9");
  EXPECT_EQ(CollectionPath(""), "/org/freedesktop/secrets/collection/_");
  // Distinct names stay distinct.
  EXPECT_NE(CollectionPath("a_"), CollectionPath("a."));
}

TEST(ObjectPaths, ItemPathsGiveTheirEntryIdBack) {
  const std::string collection = CollectionPath("alice");
  EntryId id;
  for (size_t i = 0; i < kEntryIdSize; ++i) id.bytes[i] = static_cast<uint8_t>(0xf0 + i);
  const std::string path = ItemPath(collection, id);
  EXPECT_EQ(path, collection + "/f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
  EXPECT_EQ(ItemIdFromPath(collection, path), id);
  const std::string wrong[] = {
      CollectionPath("bob") + "/f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff",
      collection + "/f0f1f2f3f4f5f6f7f8f9fafbfcfdfefF",
      collection + "/f0f1f2f3f4f5f6f7f8f9fafbfcfdfe",
      collection + "xf0f1f2f3f4f5f6f7f8f9fafbfcfdfeff",
      collection,
      "/",
  };
  for (const std::string& path : wrong) EXPECT_FALSE(ItemIdFromPath(collection, path).has_value()) << path;
}

TEST(ObjectPaths, SessionAndPromptNumbersHaveOneSpelling) {
  EXPECT_EQ(SessionNumberFromPath(SessionPath(17)), std::optional<uint64_t>(17));
  EXPECT_EQ(PromptNumberFromPath(PromptPath(3)), std::optional<uint64_t>(3));
  const char* wrong[] = {
      "/org/freedesktop/secrets/session/s",   "/org/freedesktop/secrets/session/s017",
      "/org/freedesktop/secrets/session/s1x", "/org/freedesktop/secrets/session/s-1",
      "/org/freedesktop/secrets/prompt/p1",   "/org/freedesktop/secrets/session/s99999999999999999999"};
  for (const char* path : wrong) EXPECT_FALSE(SessionNumberFromPath(path).has_value()) << path;
  EXPECT_FALSE(PromptNumberFromPath(SessionPath(1)).has_value());
}

}  // namespace

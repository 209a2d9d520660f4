#include "auto_type/x11/keycode_record.h"

#include <gtest/gtest.h>

#include "../core/scratch_dir.h"

namespace {

using KeycodeRecordTest = ScratchDirTest;

TEST_F(KeycodeRecordTest, KeepsTheKeycodesOfItsDisplayInAPrivateFile) {
  const std::string path = Path("run/quillbox/auto-type-keycodes");
  const KeycodeRecord record(path, ":5");
  ASSERT_TRUE(record.Write({255, 254, 8}));
  EXPECT_EQ(FileMode(path) & 0777, 0600u);
  EXPECT_EQ(FileMode(Path("run/quillbox")) & 0777, 0700u);
  EXPECT_EQ(record.Read(), (std::vector<uint8_t>{255, 254, 8}));
  EXPECT_EQ(ReadTextFile(path), "display :5\nkeycodes 255 254 8\n");
  // Another server's keycodes are not this one's to empty.
  EXPECT_TRUE(KeycodeRecord(path, ":6").Read().empty());
  ASSERT_TRUE(record.Write({200}));
  EXPECT_EQ(record.Read(), (std::vector<uint8_t>{200}));
  record.Remove();
  EXPECT_TRUE(record.Read().empty());
  EXPECT_EQ(dir_.Listing(), "run");
}

TEST_F(KeycodeRecordTest, ADamagedRecordEmptiesNothing) {
  const std::string path = Path("record");
  const char* damaged[] = {
      "display :5\nkeycodes 255 7\n",  // below the first keycode X has
      "display :5\nkeycodes 256\n",    // above the last
      "display :5\nkeycodes 250 x 249\n", "display :5\n", "keycodes 250\n", "display :50\nkeycodes 250\n", "",
  };
  for (const char* text : damaged) {
    WriteTextFile(path, text);
    EXPECT_TRUE(KeycodeRecord(path, ":5").Read().empty()) << text;
  }
  WriteTextFile(path, "display :5\nkeycodes " + std::string(5000, '9'));
  EXPECT_TRUE(KeycodeRecord(path, ":5").Read().empty()) << "an oversized record is not read";
}

}  // namespace

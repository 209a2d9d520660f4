#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "safe/held_safe_key.h"
#include "safe/safe_file_ops.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

// Counts the operations of a save and fails the Nth: once, or from then on.
class FailingFileOps : public SafeFileOps {
 public:
  FailingFileOps(int failAt, bool keepFailing) : failAt_(failAt), keepFailing_(keepFailing) {}

  int Count() const { return count_; }

  bool GetTempDir(char* buffer, size_t capacity) override {
    return !Fails() && SafeFileOps::GetTempDir(buffer, capacity);
  }
  bool CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity) override {
    return !Fails() && SafeFileOps::CreateTempFile(directory, prefix, path, capacity);
  }
  int OpenForWriting(const char* path) override { return Fails() ? -1 : SafeFileOps::OpenForWriting(path); }
  bool Write(int fd, const void* data, size_t size) override {
    if (!Fails()) return SafeFileOps::Write(fd, data, size);
    // A short write: part of the data reaches the file.
    SafeFileOps::Write(fd, data, size / 2);
    return false;
  }
  bool Close(int fd) override {
    bool failed = Fails();
    return SafeFileOps::Close(fd) && !failed;
  }
  bool ReplaceWithCopy(const char* source, const char* destination) override {
    return !Fails() && SafeFileOps::ReplaceWithCopy(source, destination);
  }

 private:
  bool Fails() {
    ++count_;
    return count_ == failAt_ || (keepFailing_ && count_ > failAt_);
  }

  int failAt_;
  bool keepFailing_;
  int count_ = 0;
};

// Flips one bit of the Nth write and reports success, as a failing disk might.
class CorruptingFileOps : public SafeFileOps {
 public:
  explicit CorruptingFileOps(int corruptWrite) : corruptWrite_(corruptWrite) {}

  bool Write(int fd, const void* data, size_t size) override {
    if (++writes_ != corruptWrite_) return SafeFileOps::Write(fd, data, size);
    std::string copy(static_cast<const char*>(data), size);
    copy[size / 2] ^= 0x10;
    return SafeFileOps::Write(fd, copy.data(), size);
  }

 private:
  int corruptWrite_;
  int writes_ = 0;
};

class ScopedFileOps {
 public:
  explicit ScopedFileOps(SafeFileOps& ops) { OverrideSafeFileOps(&ops); }
  ~ScopedFileOps() { OverrideSafeFileOps(nullptr); }
};

TEST(SafeFaults, EveryFailingOperationLeavesTheOldOrTheNewSafe) {
  SafeTestDir dir;
  EntryList oldEntries;
  Fill(oldEntries, {"old\tone\t1", "old\ttwo\t2"});
  EntryList newEntries;
  Fill(newEntries, {"new\tone\t1", "new\ttwo\t2", "new\tthree\t3"});
  // Three chunks, so a failure can land between chunk writes.
  std::string big(200, 'b');
  for (int i = 0; i < 15000; ++i) AddLine(newEntries, ("bulk\t" + std::to_string(i) + "\t" + big).c_str());

  ASSERT_TRUE(SaveSafe("user", "pw", newEntries));
  const std::string newBytes = ReadTextFile(dir.SafePath("user"));
  ASSERT_TRUE(SaveSafe("user", "pw", oldEntries));
  const std::string oldBytes = ReadTextFile(dir.SafePath("user"));

  FailingFileOps counter(0, false);
  {
    ScopedFileOps scoped(counter);
    ASSERT_TRUE(SaveSafe("user", "pw", newEntries));
  }
  const int operations = counter.Count();
  ASSERT_GE(operations, 9);  // dir, create, open, L, 3 chunks, CRC, T, close, copy

  for (bool keepFailing : {false, true}) {
    for (int n = 1; n <= operations; ++n) {
      SCOPED_TRACE("operation " + std::to_string(n) + (keepFailing ? " and on" : " once"));
      WriteTextFile(dir.SafePath("user"), oldBytes);
      FailingFileOps failing(n, keepFailing);
      bool saved;
      {
        ScopedFileOps scoped(failing);
        saved = SaveSafe("user", "pw", newEntries);
      }
      EXPECT_FALSE(saved);
      EXPECT_EQ(ReadTextFile(dir.SafePath("user")), oldBytes);
      EntryList loaded;
      EXPECT_TRUE(LoadSafe("user", "pw", loaded));
      EXPECT_EQ(ToVector(loaded), ToVector(oldEntries));
      EXPECT_TRUE(dir.TempFiles().empty());
      EXPECT_EQ(dir.Listing(), "tmp user.SAFE");
    }
  }
  EXPECT_NE(oldBytes, newBytes);
}

TEST(SafeFaults, SaveChecksWhatItWroteBeforeReplacingTheSafe) {
  SafeTestDir dir;
  EntryList oldEntries;
  Fill(oldEntries, {"old\tone\t1"});
  EntryList newEntries;
  Fill(newEntries, {"new\tone\t1", "new\ttwo\t2"});
  ASSERT_TRUE(SaveSafe("user", "pw", oldEntries));
  const std::string oldBytes = ReadTextFile(dir.SafePath("user"));
  // Writes: L, the blocks, the CRC, T.
  for (int write = 1; write <= 4; ++write) {
    SCOPED_TRACE("write " + std::to_string(write));
    CorruptingFileOps corrupting(write);
    bool saved;
    {
      ScopedFileOps scoped(corrupting);
      saved = SaveSafe("user", "pw", newEntries);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadTextFile(dir.SafePath("user")), oldBytes);
    EXPECT_TRUE(dir.TempFiles().empty());
  }
}

// The upgrade is a save under a new strong key: a fault at any file
// operation, or a corrupted write, leaves the legacy file as it was.
TEST(SafeFaults, FailedUpgradeLeavesTheLegacySafeIdentical) {
  SafeTestDir dir;
  EntryList entries;
  Fill(entries, {"old\tone\t1", "old\ttwo\t2"});
  ASSERT_TRUE(SaveSafe("user", "pw", entries));
  const std::string legacyBytes = ReadTextFile(dir.SafePath("user"));
  HeldSafeKey strong;
  ASSERT_TRUE(DeriveNewSafeKey("pw", SafeFormat::kStrong, {1, 8}, strong));

  FailingFileOps counter(0, false);
  {
    ScopedFileOps scoped(counter);
    ASSERT_TRUE(SaveSafe("user", strong, entries));
  }
  const int operations = counter.Count();
  ASSERT_GE(operations, 6);  // dir, create, open, the one write, close, copy

  for (bool keepFailing : {false, true}) {
    for (int n = 1; n <= operations + 1; ++n) {
      bool corrupt = n > operations;
      SCOPED_TRACE(corrupt ? std::string("corrupted write")
                           : "operation " + std::to_string(n) + (keepFailing ? " and on" : " once"));
      WriteTextFile(dir.SafePath("user"), legacyBytes);
      FailingFileOps failing(n, keepFailing);
      CorruptingFileOps corrupting(1);
      bool saved;
      {
        ScopedFileOps scoped(corrupt ? static_cast<SafeFileOps&>(corrupting) : failing);
        saved = SaveSafe("user", strong, entries);
      }
      EXPECT_FALSE(saved);
      EXPECT_EQ(ReadTextFile(dir.SafePath("user")), legacyBytes);
      EXPECT_TRUE(dir.TempFiles().empty());
      EXPECT_EQ(dir.Listing(), "tmp user.SAFE");
    }
  }
}

}  // namespace

#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "tests/unit/core/scratch_dir.h"

namespace {

TEST(FileLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  ScratchDir dir;
  WFileLock first(dir.Path("a.lock"));
  WFileLock second(dir.Path("a.lock"));
  ASSERT_TRUE(first.TryLock());
  EXPECT_TRUE(first.Lock()) << "a holder locking again keeps its lock";
  EXPECT_FALSE(second.TryLock());
  EXPECT_FALSE(second.IsLocked());
  first.Unlock();
  EXPECT_TRUE(second.TryLock());
}

TEST(FileLockTest, DestructionReleasesTheLock) {
  ScratchDir dir;
  {
    WFileLock held(dir.Path("a.lock"));
    ASSERT_TRUE(held.Lock());
  }
  WFileLock next(dir.Path("a.lock"));
  EXPECT_TRUE(next.TryLock());
}

TEST(FileLockTest, FailsWhenTheLockFileCannotBeCreated) {
  ScratchDir dir;
  WFileLock lock(dir.Path("missing/a.lock"));
  EXPECT_FALSE(lock.Lock());
  EXPECT_FALSE(lock.TryLock());
  WFileLock unnamed("");
  EXPECT_FALSE(unnamed.Lock());
}

// The child takes the lock and appends to a log only after the parent has
// released it; a blocking Lock in the child must wait for that.
TEST(FileLockTest, BlockingLockWaitsForTheOtherProcess) {
  ScratchDir dir;
  const std::string log = dir.Path("log");
  WFileLock parentLock(dir.Path("a.lock"));
  ASSERT_TRUE(parentLock.Lock());

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WFileLock childLock(dir.Path("a.lock"));
    bool refused = !childLock.TryLock();
    char byte = 1;
    (void)!write(ready[1], &byte, 1);
    bool locked = childLock.Lock();
    FILE* out = fopen(log.c_str(), "a");
    if (out) {
      fputs("child\n", out);
      fclose(out);
    }
    _exit(refused && locked ? 0 : 1);
  }
  char byte;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  WriteTextFile(log, "parent\n");
  parentLock.Unlock();

  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(ready[0]);
  close(ready[1]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadTextFile(log), "parent\nchild\n");
}

// Whether some process waits in flock for the file's lock (a "->" line of
// /proc/locks names the waiter and the file's inode).
bool SomeoneWaitsFor(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  std::ifstream locks("/proc/locks");
  const std::string inode = ":" + std::to_string(info.st_ino) + " ";
  for (std::string line; std::getline(locks, line);) {
    if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos) return true;
  }
  return false;
}

// A holder that removes the lock file as it lets go must not leave a waiter
// holding the removed file while a newcomer locks a fresh one at the path.
TEST(FileLockTest, RemovedLockFileIsNeverHeldTwice) {
  ScratchDir dir;
  const std::string path = dir.Path("a.lock");
  WFileLock holder(path);
  ASSERT_TRUE(holder.Lock());
  WFileLock waiter(path);
  std::thread waiting([&waiter] { waiter.Lock(); });
  while (!SomeoneWaitsFor(path)) std::this_thread::yield();

  holder.RemoveAndUnlock();
  waiting.join();
  ASSERT_TRUE(waiter.IsLocked());
  WFileLock newcomer(path);
  EXPECT_FALSE(newcomer.TryLock());
  waiter.RemoveAndUnlock();
  EXPECT_EQ(dir.Listing(), "");
  EXPECT_TRUE(newcomer.TryLock());
}

}  // namespace

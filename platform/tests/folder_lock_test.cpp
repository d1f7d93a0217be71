#include "platform/folder_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "testsupport/temp_folder.h"

namespace {

using platform::FolderLock;
using platform::FolderLockResult;

TEST(FolderLock, OneHolderAtATimeUnderAnyNameOfTheFolder) {
  testsupport::TempFolder base;
  testsupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", base.Path());
  const std::string folder = base / "base";
  const std::string link = base / "link";
  std::filesystem::create_directory(folder);
  std::filesystem::create_directory_symlink(folder, link);
  for (platform::FolderLockPlace place : {platform::FolderLockPlace::kOnTheFolder, platform::FolderLockPlace::kInTheLockFolder}) {
    SCOPED_TRACE(place == platform::FolderLockPlace::kOnTheFolder ? "on the folder" : "in the lock folder");
    FolderLock first;
    ASSERT_EQ(first.Lock(folder, place), FolderLockResult::Locked);
    EXPECT_TRUE(first.Covers(link));
    EXPECT_FALSE(first.Covers(base.Path()));
    FolderLock second;
    EXPECT_EQ(second.Lock(folder, place), FolderLockResult::HeldElsewhere);
    EXPECT_EQ(second.Lock(link, place), FolderLockResult::HeldElsewhere);
    EXPECT_EQ(second.Lock(base / "missing", place), FolderLockResult::Failed);
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "locking creates nothing in the folder";

    first = FolderLock();
    EXPECT_EQ(second.Lock(link, place), FolderLockResult::Locked);
    EXPECT_TRUE(second.Held());
  }
}

// The holder is killed: the system drops its lock, and the folder can be locked at once.
TEST(FolderLock, AHolderThatIsKilledLeavesTheFolderFree) {
  testsupport::TempFolder folder;
  const std::string path = folder.Path();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Only system calls between fork and the end.
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    char locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'L' : 'F';
    (void)!::write(ready[1], &locked, 1);
    ::pause();
    ::_exit(0);
  }
  char locked = 0;
  ASSERT_EQ(::read(ready[0], &locked, 1), 1);
  ASSERT_EQ(locked, 'L');
  FolderLock lock;
  EXPECT_EQ(lock.Lock(path), FolderLockResult::HeldElsewhere);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(lock.Lock(path), FolderLockResult::Locked);
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace

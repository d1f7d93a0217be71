#include "platform/exclusive_open.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/text_file.h"
#include "testsupport/temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteFile;

unsigned TryOpenExclusive(const std::string& path) {
  platform::FileDescriptor file;
  unsigned result = platform::OpenExclusive(path, file);
  EXPECT_EQ(file.IsOpen(), result == platform::kErrorSuccess) << path;
  return result;
}

TEST(ExclusiveOpen, FailsWhileAnyOtherDescriptorIsOpen) {
  TempFolder folder;
  std::string path = folder / "ticket.txt";
  WriteFile(path, "8\n");
  EXPECT_EQ(TryOpenExclusive(path), platform::kErrorSuccess);

  int own = ::open(path.c_str(), O_RDONLY);
  EXPECT_EQ(TryOpenExclusive(path), platform::kErrorSharingViolation);
  ::close(own);

  int toChild[2], fromChild[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(fromChild), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::close(toChild[1]);
    ::close(fromChild[0]);
    int fd = ::open(path.c_str(), O_WRONLY);
    char byte = '1';
    ssize_t ignored = ::write(fromChild[1], &byte, 1);
    ignored = ::read(toChild[0], &byte, 1);  // blocks until the test lets go
    (void)ignored;
    ::close(fd);
    ::_exit(0);
  }
  ::close(toChild[0]);
  ::close(fromChild[1]);
  char byte = 0;
  ASSERT_EQ(::read(fromChild[0], &byte, 1), 1);
  ::close(fromChild[0]);
  EXPECT_EQ(TryOpenExclusive(path), platform::kErrorSharingViolation);
  ::close(toChild[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status)) << "a lease break must not end the writer or the driver";
  EXPECT_EQ(TryOpenExclusive(path), platform::kErrorSuccess);
}

TEST(ExclusiveOpen, MissingFilesAndFoldersGiveWindowsErrors) {
  TempFolder folder;
  EXPECT_EQ(TryOpenExclusive(folder / "missing.txt"), platform::kErrorFileNotFound);
  EXPECT_EQ(TryOpenExclusive(folder.Path()), platform::kErrorAccessDenied);
}

// A link is never followed and a FIFO never waited on: both are refused at once as no regular file.
TEST(ExclusiveOpen, LinksAndFifosAreRefusedWithoutBlocking) {
  TempFolder folder;
  WriteFile(folder / "real.txt", "8\n");
  ASSERT_EQ(::symlink((folder / "real.txt").c_str(), (folder / "link.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0644), 0);
  EXPECT_EQ(TryOpenExclusive(folder / "link.txt"), platform::kErrorCantAccessFile);
  EXPECT_EQ(TryOpenExclusive(folder / "fifo.txt"), platform::kErrorCantAccessFile);
}

// The descriptor that passed the check reads the file as it was checked, even when another file has
// been put under its name since.
TEST(ExclusiveOpen, TheCheckedDescriptorReadsTheCheckedFile) {
  TempFolder folder;
  WriteFile(folder / "t.txt", "checked\n");
  platform::FileDescriptor file;
  ASSERT_EQ(platform::OpenExclusive(folder / "t.txt", file), platform::kErrorSuccess);
  WriteFile(folder / "other", "swapped in\n");
  ASSERT_EQ(::rename((folder / "other").c_str(), (folder / "t.txt").c_str()), 0);
  std::string bytes;
  EXPECT_EQ(platform::ReadOpenFile(file, 100, bytes), platform::ReadOutcome::Read);
  EXPECT_EQ(bytes, "checked\n");
  EXPECT_EQ(platform::ReadOpenFile(file, 7, bytes), platform::ReadOutcome::TooLarge);
}

}  // namespace

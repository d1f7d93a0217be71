#include "platform/exclusive_open.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "testsupport/temp_folder.h"

namespace {

using platform::TryOpenExclusive;
using testsupport::TempFolder;
using testsupport::WriteFile;

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

}  // namespace

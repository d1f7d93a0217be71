// A till that runs under another account than the driver: with "TicketGroup" set, it delivers a ticket
// into the register's folder and reads and removes its reply, as a member of that group and nothing
// more. The till's account is made up of numbers no one on the machine uses; switching to it needs
// root, and the case is skipped with the reason without.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "tests/end_to_end/running_driver.h"

namespace {

using endtoend::CRunningDriver;

constexpr gid_t kTillGroup = 47301;
constexpr uid_t kTillUser = 47302;

// Runs the step as the till: its own user, the shared group as its only group. True when the step
// did what it says.
bool AsTheTill(const std::function<bool()>& step) {
  const pid_t child = ::fork();
  if (child == 0) {
    const gid_t groups[] = {kTillGroup};
    if (::setgroups(1, groups) != 0 || ::setgid(kTillGroup) != 0 || ::setuid(kTillUser) != 0) ::_exit(3);
    ::umask(022);
    ::_exit(step() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool WriteAll(const std::string& path, const std::string& text) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return false;
  const bool written = ::write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(file) == 0 && written;
}

TEST(TillAccount, ATillInTheTicketGroupDeliversATicketAndCollectsItsReply) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as a till in another account needs root";
  endtoend::CDriverSetup setup;
  setup.m_DriverIni += "[TillJob]\r\nTicketGroup=" + std::to_string(kTillGroup) + "\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  EXPECT_TRUE(driver.WaitForLog("QorDriver runs as root"));
  // The till reaches its folder only through the group: the base directory is made open to pass.
  ::chmod(driver.Base().c_str(), 0711);
  const std::string folder = driver.Folder(1);
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_gid, kTillGroup);
  EXPECT_EQ(info.st_mode & 07777, 02770u);

  ASSERT_TRUE(AsTheTill([&] {
    return WriteAll(folder + "/sale.tmp", endtoend::Receipt("TillAccount")) &&
           ::rename((folder + "/sale.tmp").c_str(), (folder + "/sale.txt").c_str()) == 0;
  })) << "the till cannot deliver into " << folder;
  ASSERT_EQ(driver.WaitForReply(1, "sale.txt"), "0\n") << driver.Log();
  const std::string reply = folder + "/sale.rep";
  EXPECT_TRUE(AsTheTill([&] {
    char code[8] = {};
    const int file = ::open(reply.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = file >= 0 && ::read(file, code, sizeof code - 1) > 0;
    if (file >= 0) ::close(file);
    return read && std::string(code) == "0\n" && ::unlink(reply.c_str()) == 0;
  })) << "the till cannot read and remove its reply";
  EXPECT_NE(::access(reply.c_str(), F_OK), 0);
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

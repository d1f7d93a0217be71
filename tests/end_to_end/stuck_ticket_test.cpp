// Tickets that cannot be finished the normal way: one its writer keeps open, one the driver cannot
// remove, one whose ".err" name is taken. None of them holds up another ticket, and none is executed or
// answered more than once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/profile.h"
#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using endtoend::Receipt;
using endtoend::Record;

std::string Totals(CRunningDriver& driver, const char* key) {
  return platform::GetPrivateProfileString("TICKETS", key, "0", 9, driver.Base() + "/Totals.txt");
}

// While a ticket on register 2 is held open by its writer past the 10 s writer wait, receipts on both
// registers are answered as usual; the held ticket is given up once (log line, no reply) and answered
// once its writer lets go.
TEST(StuckTickets, ATicketHeldByItsWriterDelaysNothingButItself) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  const std::string ticket = Receipt("Held");
  const std::size_t firstLine = ticket.find('\n') + 1;
  const std::string held = driver.Folder(2) + "/held.txt";
  std::ofstream writer(held, std::ios::binary);
  writer << ticket.substr(0, firstLine) << std::flush;
  ASSERT_TRUE(driver.WaitForLog("ProcessTicketFile for id 2")) << driver.Log();

  for (int round = 0; round < 3; ++round) {
    for (int ecr : {1, 2}) {
      std::string name = "sale" + std::to_string(round) + ".txt";
      driver.DropTicket(ecr, name, Receipt());
      EXPECT_EQ(driver.WaitForReply(ecr, name), "0\n") << driver.Log();
    }
  }
  EXPECT_EQ(driver.Log().find("CreateFile ERROR"), std::string::npos) << "the writer wait ended first";

  const std::string givenUp = "2/held.txt], Error=[32]";  // "CreateFile ERROR: File=[...", as the driver names it
  ASSERT_TRUE(driver.WaitForLog(givenUp)) << driver.Log();
  EXPECT_FALSE(testsupport::FileExists(endtoend::ReplyPath(driver.Folder(2), "held.txt")));
  writer << ticket.substr(firstLine);
  writer.close();  // the writer's close changes the folder: the ticket is tried again
  EXPECT_EQ(driver.WaitForReply(2, "held.txt"), "0\n") << driver.Log();
  EXPECT_EQ(endtoend::Occurrences(driver.Log(), givenUp), 1);
  EXPECT_EQ(endtoend::Occurrences(driver.Journal(2), "Held"), 1);
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// Sets or clears the immutable flag of an open file; false where the system does not allow it.
bool SetImmutable(int fd, bool on) {
  int flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return false;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  return ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
}

// Clears the immutable flag again at the end, so the test's folder can be removed.
class CImmutableFile {
 public:
  explicit CImmutableFile(std::string path) : m_Path(std::move(path)) {}
  ~CImmutableFile() { Release(); }
  void Release() {
    int fd = ::open(m_Path.c_str(), O_RDONLY | O_NOFOLLOW);
    if (fd >= 0) SetImmutable(fd, false);
    if (fd >= 0) ::close(fd);
  }

 private:
  std::string m_Path;
};

// A ticket the driver can read but not remove (immutable here; another user's file in a sticky folder
// does the same) is not executed: it is answered 3 once and left alone until it changes, however often
// its folder changes meanwhile. A rejected ticket whose ".err" name is taken is answered 22 once.
TEST(StuckTickets, ATicketThatCannotBeRemovedRunsAtMostOnce) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  const std::string path = driver.Folder(2) + "/fixed.txt";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(fd, 0);
  std::string ticket = Receipt("Fixed");
  ASSERT_EQ(::write(fd, ticket.data(), ticket.size()), static_cast<ssize_t>(ticket.size()));
  CImmutableFile immutable(path);
  if (!SetImmutable(fd, true)) {
    std::string why = std::strerror(errno);
    ::close(fd);
    GTEST_SKIP() << "cannot make a file immutable here: " << why;
  }
  ::close(fd);  // the writer lets go: the driver takes the ticket
  EXPECT_EQ(driver.WaitForReply(2, "fixed.txt"), "3\n") << driver.Log();
  EXPECT_NE(driver.Log().find("2/fixed.txt]: Operation not permitted"), std::string::npos) << driver.Log();

  std::filesystem::create_directories(driver.Folder(2) + "/bad.err");
  driver.DropTicket(2, "bad.txt", "0 1\n1 too short\n");
  EXPECT_EQ(driver.WaitForReply(2, "bad.txt"), "22\n") << driver.Log();
  // More changes of the folder: neither ticket is taken again.
  for (const char* name : {"next1.txt", "next2.txt"}) {
    driver.DropTicket(2, name, Receipt("Next"));
    EXPECT_EQ(driver.WaitForReply(2, name), "0\n") << driver.Log();
  }
  EXPECT_EQ(Totals(driver, "Found"), "4");
  EXPECT_EQ(endtoend::Occurrences(driver.Journal(2), "Fixed"), 0);
  EXPECT_EQ(endtoend::Occurrences(driver.Log(), "QOR_E_FAILURE on parsing File"), 2);
  EXPECT_TRUE(testsupport::FileExists(path));
  EXPECT_TRUE(testsupport::FileExists(driver.Folder(2) + "/bad.txt"));

  // Once it can be removed and has changed (the flag's change is one), the next change of its folder
  // brings it back, and it runs once.
  immutable.Release();
  std::filesystem::remove(driver.Folder(2) + "/fixed.rep");  // the till collects the reply
  EXPECT_EQ(driver.WaitForReply(2, "fixed.txt"), "0\n") << driver.Log();
  EXPECT_EQ(endtoend::Occurrences(driver.Journal(2), "Fixed"), 1);
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

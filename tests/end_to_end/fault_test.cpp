// The driver keeps working through the troubles of a shop: a ticket folder deleted and made again, a
// disk that fills up under a ticket folder, a register that stops answering in the middle of a
// receipt. Nothing dropped may be lost or answered twice.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using endtoend::Receipt;
using endtoend::Record;

TEST(Faults, TicketFolderDeletedAndMadeAgainIsWatchedAgain) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(2, "before.txt", Receipt("Before"));
  ASSERT_EQ(driver.WaitForReply(2, "before.txt"), "0\n") << driver.Log();
  // The job removes its document and record once its reply is on the disk.
  ASSERT_TRUE(endtoend::HalfDone(driver.Folder(2)).empty());

  // Deleted with everything in it, then made again by the point-of-sale program.
  std::filesystem::remove_all(driver.Folder(2));
  std::filesystem::create_directories(driver.Folder(2));
  driver.DropTicket(2, "after.txt", Receipt("After"));
  EXPECT_EQ(driver.WaitForReply(2, "after.txt"), "0\n") << driver.Log();
  ASSERT_TRUE(endtoend::HalfDone(driver.Folder(2)).empty());

  // Replaced by a folder prepared elsewhere with a ticket already in it.
  std::string prepared = driver.Base() + "/Tickets/prepared";
  std::filesystem::create_directories(prepared);
  testsupport::WriteFile(prepared + "/waiting.txt", Receipt("Waiting"));
  std::filesystem::remove_all(driver.Folder(2));
  std::filesystem::rename(prepared, driver.Folder(2));
  EXPECT_EQ(driver.WaitForReply(2, "waiting.txt"), "0\n") << driver.Log();

  EXPECT_EQ(endtoend::Occurrences(driver.Journal(2), "Waiting"), 1);
  EXPECT_TRUE(endtoend::HalfDone(driver.Folder(2)).empty());

  // The whole ticket root deleted, and one register's folder made again under a new root.
  std::filesystem::remove_all(driver.Base() + "/Tickets");
  std::filesystem::create_directories(driver.Folder(3));
  driver.DropTicket(3, "root.txt", Receipt("Root"));
  EXPECT_EQ(driver.WaitForReply(3, "root.txt"), "0\n") << driver.Log();

  EXPECT_TRUE(endtoend::HalfDone(driver.Folder(3)).empty());
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// A small filesystem of its own mounted on a register's ticket folder, filled up on demand. Needs the
// right to mount; where it is missing the test says so and is skipped.
class CSmallDisk {
 public:
  explicit CSmallDisk(std::string folder) : m_Folder(std::move(folder)) {
    std::filesystem::create_directories(m_Folder);
    if (::mount("qor-test", m_Folder.c_str(), "tmpfs", 0, "size=64k") == 0) m_Mounted = true;
    else m_Error = std::strerror(errno);
  }
  ~CSmallDisk() {
    if (m_Mounted) ::umount2(m_Folder.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return m_Mounted; }
  const std::string& Error() const { return m_Error; }

  // Writes a filler until the disk refuses more.
  void Fill() {
    std::ofstream filler(m_Folder + "/filler.bin", std::ios::binary);
    std::string block(1024, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
  }
  void Free() { std::filesystem::remove(m_Folder + "/filler.bin"); }

 private:
  std::string m_Folder;
  bool m_Mounted = false;
  std::string m_Error;
};

// A full disk never loses, doubles or falsifies a reply: a ticket whose document cannot be written
// stays a ticket until there is room; a disk that fills while a receipt prints still gets its reply,
// since the room for it was set aside before the register printed.
TEST(Faults, FullDiskInTheTicketFolderLosesNoReplyAndPrintsNothingTwice) {
  const std::string registers = "[Registers]\r\n1=1\r\n2=2\r\n3=0\r\n4=3\r\n";
  endtoend::CDriverSetup setup;
  setup.m_EmulatorIni = registers + "[ECR2]\r\nLineDelayMs=200\r\n";
  CRunningDriver driver(setup);
  CSmallDisk disk(driver.Folder(2));
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small filesystem here: " << disk.Error();
  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(2, "first.txt", Receipt("First"));
  ASSERT_EQ(driver.WaitForReply(2, "first.txt"), "0\n") << driver.Log();

  // The ticket is written while there is room; the disk fills up before it is renamed into place. Its
  // document cannot be written: it stays a ticket, unanswered, while other registers go on.
  std::string part = driver.Folder(2) + "/full.part";
  testsupport::WriteFile(part, Receipt("Full"));
  disk.Fill();
  std::filesystem::rename(part, driver.Folder(2) + "/full.txt");
  ASSERT_TRUE(driver.WaitForLog("full.txt] stays")) << driver.Log();
  driver.DropTicket(1, "other.txt", Receipt("Other"));
  EXPECT_EQ(driver.WaitForReply(1, "other.txt"), "0\n") << driver.Log();
  EXPECT_TRUE(testsupport::FileExists(driver.Folder(2) + "/full.txt"));
  EXPECT_FALSE(testsupport::FileExists(endtoend::ReplyPath(driver.Folder(2), "full.txt")));

  // Room back: the ticket is taken by itself, printed once and answered.
  disk.Free();
  EXPECT_EQ(driver.WaitForReply(2, "full.txt"), "0\n") << driver.Log();

  // The disk fills while a receipt prints: the receipt ends and is answered truly all the same.
  std::filesystem::remove(endtoend::ReplyPath(driver.Folder(2), "full.txt"));
  driver.DropTicket(2, "printing.txt", Receipt("Printing"));
  ASSERT_TRUE(driver.WaitForLog("<DESCRIPTION>Printing</DESCRIPTION>")) << driver.Log();
  disk.Fill();
  EXPECT_EQ(driver.WaitForReply(2, "printing.txt"), "0\n") << driver.Log();
  disk.Free();

  driver.DropTicket(2, "later.txt", Receipt("Later"));
  EXPECT_EQ(driver.WaitForReply(2, "later.txt"), "0\n") << driver.Log();
  std::string journal = driver.Journal(2);
  for (const char* marker : {"Full", "Printing", "Later"}) EXPECT_EQ(endtoend::Occurrences(journal, marker), 1) << marker;
  EXPECT_TRUE(endtoend::HalfDone(driver.Folder(2)).empty());
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// Twenty sales, printed slowly enough to stop the register after the fifth and before the last.
std::string LongReceipt() {
  std::string ticket = "0 1\n";
  for (int n = 1; n <= 20; ++n) {
    char item[8];
    std::snprintf(item, sizeof item, "ITEM%02d", n);
    ticket += Record("1", {{0, std::to_string(1000 + n)}, {25, "1,00"}, {35, "1"}, {38, item}, {80, "1"}}, 81) + "\n";
  }
  return ticket + Record("6", {{0, "20,00"}, {10, "CASH"}, {46, "1"}}, 47) + "\n";
}

TEST(Faults, RegisterThatStopsAnsweringMidReceiptHoldsNothingUp) {
  const std::string registers = "[Registers]\r\n1=1\r\n2=2\r\n3=0\r\n4=3\r\n";
  endtoend::CDriverSetup setup;
  setup.m_EmulatorIni = registers + "[ECR2]\r\nLineDelayMs=300\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(2, "long.txt", LongReceipt());
  ASSERT_TRUE(driver.WaitForLog("<DESCRIPTION>ITEM05</DESCRIPTION>")) << driver.Log();
  driver.SetEmulatorSettings(registers + "[ECR2]\r\nLineDelayMs=300\r\nNoAnswer=1\r\n");

  driver.DropTicket(1, "meanwhile.txt", Receipt("Meanwhile"));
  EXPECT_EQ(driver.WaitForReply(1, "meanwhile.txt"), "0\n") << driver.Log();
  ASSERT_EQ(endtoend::Occurrences(driver.Journal(2), "ITEM20"), 0) << "the register did not stop in the middle";
  EXPECT_FALSE(testsupport::FileExists(endtoend::ReplyPath(driver.Folder(2), "long.txt")));

  // Answering again, the register never completes the sale it lost: the driver gives the receipt up
  // with 3 instead of holding the register, the till voids what was printed, and the register works on.
  driver.SetEmulatorSettings(registers);
  EXPECT_EQ(driver.WaitForReply(2, "long.txt", std::chrono::seconds(60)), "3\n") << driver.Log();
  driver.DropTicket(2, "void.txt", "8\n");
  EXPECT_EQ(driver.WaitForReply(2, "void.txt"), "0\n") << driver.Log();
  driver.DropTicket(2, "next.txt", Receipt("Next"));
  EXPECT_EQ(driver.WaitForReply(2, "next.txt"), "0\n") << driver.Log();
  std::string journal = driver.Journal(2);
  for (int n = 1; n <= 20; ++n) {
    char item[8];
    std::snprintf(item, sizeof item, "ITEM%02d", n);
    EXPECT_LE(endtoend::Occurrences(journal, item), n <= 5 ? 1 : 0) << item;
    if (n <= 5) {
      EXPECT_EQ(endtoend::Occurrences(journal, item), 1) << item;
    }
  }
  EXPECT_EQ(endtoend::Occurrences(journal, "RECEIPT VOIDED"), 1);
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

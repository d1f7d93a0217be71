// The promises that hold beyond one undisturbed run: tickets of a register print in the order they
// came, a second driver never runs beside the first, and the register's memory outlives a driver
// that is killed.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using endtoend::Occurrences;
using endtoend::Receipt;
using endtoend::Record;

constexpr int kOrdered = 10;

std::string OrderedName(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "t%02d.txt", n);
  return name;
}

std::string OrderedItem(int ecr, int n) { return "Order" + std::to_string(ecr) + "x" + std::to_string(n); }

// The registers print slower than tickets arrive, so the jobs queue up for them.
TEST(Order, TicketsDroppedOneAfterAnotherPrintInThatOrderOnEveryRegisterType) {
  endtoend::CDriverSetup setup;
  for (int ecr = 1; ecr <= 4; ++ecr) setup.m_EmulatorIni += "[ECR" + std::to_string(ecr) + "]\r\nLineDelayMs=15\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  for (int n = 0; n < kOrdered; ++n)
    for (int ecr = 1; ecr <= 4; ++ecr) driver.DropTicket(ecr, OrderedName(n), Receipt(OrderedItem(ecr, n)));
  for (int ecr = 1; ecr <= 4; ++ecr) {
    SCOPED_TRACE("register " + std::to_string(ecr));
    for (int n = 0; n < kOrdered; ++n) ASSERT_EQ(driver.WaitForReply(ecr, OrderedName(n)), "0\n") << driver.Log();
    const std::string journal = driver.Journal(ecr);
    std::size_t at = 0;
    for (int n = 0; n < kOrdered; ++n) {
      const std::size_t found = journal.find(OrderedItem(ecr, n), at);
      ASSERT_NE(found, std::string::npos) << OrderedItem(ecr, n) << " not after the one before\n" << journal;
      at = found;
    }
  }
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// A till drops "open, sell, close" groups back to back into a folder that holds thousands of replies
// no till has collected. Each group's names run against its order of arrival, so a driver that takes
// them by name, or sees part of a group at one look and the rest at the next, prints them out of order.
TEST(Order, BackToBackGroupsInAFolderFullOfOldRepliesRunInTheOrderTheyAppeared) {
  constexpr int kGroups = 40;
  constexpr int kOldReplies = 3000;
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  const std::string folder = driver.Folder(2);
  for (int n = 0; n < kOldReplies; ++n) testsupport::WriteFile(folder + "/old" + std::to_string(n) + ".rep", "0\n");
  std::vector<std::string> arrival;  // the stem of each ticket, in the order it is renamed into place
  for (int group = 0; group < kGroups; ++group)
    for (const char* step : {"c", "b", "a"}) {
      const std::string stem = "g" + std::to_string(group) + step;
      testsupport::WriteFile(folder + "/" + stem + ".tmp", Receipt("Arrived" + stem));
      arrival.push_back(stem);
    }
  for (std::size_t at = 0; at < arrival.size(); ++at) {
    std::filesystem::rename(folder + "/" + arrival[at] + ".tmp", folder + "/" + arrival[at] + ".txt");
    // A group is dropped back to back; the next one a moment later, as the till's next table.
    if (at % 3 == 2) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (const std::string& stem : arrival) ASSERT_EQ(driver.WaitForReply(2, stem + ".txt"), "0\n") << driver.Log();
  const std::string journal = driver.Journal(2);
  std::size_t at = 0;
  for (const std::string& stem : arrival) {
    const std::size_t found = journal.find("Arrived" + stem, at);
    ASSERT_NE(found, std::string::npos) << stem << " did not print after the ticket that arrived before it\n" << journal;
    at = found;
  }
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// A second driver started on the folders of a running one (the service running and a start by hand)
// ends at once with a non-zero status; the first goes on and prints every ticket once.
TEST(SecondDriver, RefusesToStartOnTheFoldersARunningDriverServes) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  testsupport::TempFolder elsewhere;
  testsupport::WriteFile(elsewhere / "Qor.cfg", "[FOLDERS]\r\nTicketFolder=" + driver.Base() + "/Tickets\r\n");
  const struct {
    const char* m_Case;
    std::string m_Folder;
    const char* m_LogLine;
  } cases[] = {
      {"the same base directory", driver.Base(), "[ZEDO] Another QorDriver runs on the base directory"},
      {"another base directory with the same ticket root", elsewhere.Path(),
       "[ZEDO] Another QorDriver serves the ticket folders in"},
  };
  int dropped = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_Case);
    for (int ecr = 1; ecr <= 4; ++ecr) driver.DropTicket(ecr, "s" + std::to_string(dropped) + ".txt", Receipt("Second" + std::to_string(dropped)));
    std::string log;
    EXPECT_EQ(driver.RunSecondDriver(c.m_Folder, log), 1) << log;
    EXPECT_NE(log.find(c.m_LogLine), std::string::npos) << log;
    EXPECT_NE(log.find("[ZEDO] MessageBox: ["), std::string::npos) << log;
    EXPECT_EQ(log.find("ProcessTicketFile"), std::string::npos) << log;
    ++dropped;
  }
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "Tickets")) << "the refused driver touched nothing";
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "Totals.txt"));
  for (int ecr = 1; ecr <= 4; ++ecr) {
    for (int n = 0; n < dropped; ++n) {
      const std::string name = "s" + std::to_string(n) + ".txt";
      EXPECT_EQ(driver.WaitForReply(ecr, name), "0\n") << driver.Log();
      EXPECT_EQ(Occurrences(driver.Journal(ecr), "Second" + std::to_string(n)), 1) << "register " << ecr;
    }
  }
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// The driver is killed while a receipt stands open on the register (its ticket ended without a
// payment). The restarted driver meets the register as it was: the receipt open, the receipt number
// where it stood; closing it prints it as the second receipt, and nothing printed before comes again.
TEST(RegisterMemory, AReceiptOpenWhenTheDriverWasKilledIsStillOpenAfterTheRestart) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(3, "first.txt", Receipt("First"));
  ASSERT_EQ(driver.WaitForReply(3, "first.txt"), "0\n") << driver.Log();
  const std::string sale = Record("1", {{0, "2001"}, {25, "2,50"}, {35, "1"}, {38, "LeftOpen"}, {80, "1"}}, 81);
  driver.DropTicket(3, "open.txt", "0 1\n" + sale + "\n");
  ASSERT_EQ(driver.WaitForReply(3, "open.txt"), "0\n") << driver.Log();
  ASSERT_TRUE(driver.Kill());

  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(3, "status.txt", "10\n");
  const std::optional<std::string> status = driver.WaitForReply(3, "status.txt");
  ASSERT_TRUE(status) << driver.Log();
  EXPECT_EQ(status->substr(0, 2), " 1") << "the receipt is still open: " << *status;
  driver.DropTicket(3, "close.txt", Record("6", {{0, "2,50"}, {10, "CASH"}, {46, "1"}}, 47) + "\n");
  EXPECT_EQ(driver.WaitForReply(3, "close.txt"), "0\n") << driver.Log();
  const std::string journal = driver.Journal(3);
  EXPECT_EQ(Occurrences(journal, "First"), 1) << journal;
  EXPECT_EQ(Occurrences(journal, "LeftOpen"), 1) << journal;
  EXPECT_NE(journal.find("RECEIPT NO. 2", journal.find("LeftOpen")), std::string::npos) << journal;
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// Killed in the middle of a receipt, while its job holds the register: the restarted driver takes the
// register at once (the dead driver's hold on it went with it), finds the receipt still open on the
// register, voids it and answers the ticket 21; the next receipt prints.
TEST(RegisterMemory, ADriverKilledInTheMiddleOfAReceiptVoidsItAtTheNextStartAndTheRegisterIsFree) {
  endtoend::CDriverSetup setup;
  setup.m_EmulatorIni += "[ECR2]\r\nLineDelayMs=100\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(2, "cut.txt", Receipt("CutShort", "NeverPaid"));
  ASSERT_TRUE(driver.WaitForLog("<DESCRIPTION>NeverPaid</DESCRIPTION>")) << driver.Log();
  ASSERT_TRUE(driver.Kill());

  ASSERT_TRUE(driver.Start()) << driver.Log();
  EXPECT_EQ(driver.WaitForReply(2, "cut.txt"), "21\n") << driver.Log();
  EXPECT_NE(driver.Log().find("F44EAS2] was held by a process that ended; it is free"), std::string::npos) << driver.Log();
  driver.DropTicket(2, "next.txt", Receipt("After"));
  EXPECT_EQ(driver.WaitForReply(2, "next.txt"), "0\n") << driver.Log();
  const std::string journal = driver.Journal(2);
  EXPECT_NE(journal.find("RECEIPT VOIDED", journal.find("CutShort")), std::string::npos) << journal;
  EXPECT_EQ(Occurrences(journal, "CutShort"), 1) << journal;
  EXPECT_NE(journal.find("RECEIPT NO. 1", journal.find("After")), std::string::npos) << journal;
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

// A ticket folder is written by other programs, sometimes buggy, sometimes another user's. Whatever
// lands there, the real driver reads no ticket through a link, writes no file through one, never blocks
// on a special file, rejects what no till writes, and keeps serving every register.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CDriverSetup;
using endtoend::CRunningDriver;
using endtoend::Receipt;
using endtoend::Record;
using testsupport::FileExists;
using testsupport::ReadFile;

const std::string kRegisters = "[Registers]\r\n1=1\r\n2=2\r\n";
constexpr char kOutside[] = "outside file, never to be changed\n";

// A file outside the ticket folders that a planted link points to.
std::string OutsideFile(CRunningDriver& driver, const std::string& name) {
  std::string path = driver.Base() + "/" + name;
  if (!FileExists(path)) testsupport::WriteFile(path, kOutside);
  return path;
}

void PlantLink(const std::string& target, const std::string& link) {
  std::error_code ignored;
  std::filesystem::remove(link, ignored);
  std::filesystem::create_symlink(target, link);
}

bool IsRegularFile(const std::string& path) {
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(path));
}

// Waits (bounded) until the file is a regular file holding text.
bool WaitForRegularFileWith(const std::string& path, const std::string& text) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    if (IsRegularFile(path) && ReadFile(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

struct CPlantedCase {
  const char* m_Name;
  std::string m_DriverIni;    // extra lines of "QorDriver.ini"
  std::string m_EmulatorIni;  // extra lines of "QorEmulator.ini"
  // Plants what the case is about and drops its tickets on register 2.
  std::function<void(CRunningDriver&)> m_Plant;
  // What must hold once the register has answered a sale dropped after the planting.
  std::function<void(CRunningDriver&)> m_Check;
};

void PrintTo(const CPlantedCase& planted, std::ostream* out) { *out << planted.m_Name; }

class LinksAndSpecialFiles : public ::testing::TestWithParam<CPlantedCase> {};

TEST_P(LinksAndSpecialFiles, AreNeitherReadNorWrittenThroughAndHoldNothingUp) {
  const CPlantedCase& planted = GetParam();
  CDriverSetup setup;
  setup.m_EmulatorIni = kRegisters + planted.m_EmulatorIni;
  setup.m_DriverIni += planted.m_DriverIni;
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  planted.m_Plant(driver);
  driver.DropTicket(2, "after.txt", Receipt("After"));
  EXPECT_EQ(driver.WaitForReply(2, "after.txt"), "0\n") << driver.Log();
  planted.m_Check(driver);
  EXPECT_EQ(driver.Stop(), 0) << "SIGTERM must still end the driver\n" << driver.Log();
}

void ExpectLeftAloneOnce(CRunningDriver& driver, const std::string& name) {
  // The driver names it by its folder relative to the base directory.
  EXPECT_EQ(endtoend::Occurrences(driver.Log(), "/2/" + name + "] is no regular file: left alone"), 1) << driver.Log();
  EXPECT_FALSE(FileExists(endtoend::ReplyPath(driver.Folder(2), name)));
}

// The job's warning and reply files, planted as links while the job runs: the driver writes its own
// files in their place and leaves the targets as they were.
void PlantJobFileLinks(CRunningDriver& driver) {
  driver.DropTicket(2, "w.txt", Receipt("Linked"));
  ASSERT_TRUE(driver.WaitForLog("<DESCRIPTION>Linked</DESCRIPTION>")) << driver.Log();
  for (const char* extension : {".inf", ".mag", ".rep"})
    PlantLink(OutsideFile(driver, std::string("target") + extension), driver.Folder(2) + "/w" + extension);
}

void CheckJobFilesWrittenInPlace(CRunningDriver& driver) {
  EXPECT_EQ(driver.WaitForReply(2, "w.txt"), "0\n") << driver.Log();
  for (const char* extension : {".inf", ".rep"})
    EXPECT_TRUE(IsRegularFile(driver.Folder(2) + "/w" + extension)) << extension;
  for (const char* extension : {".inf", ".mag", ".rep"})
    EXPECT_EQ(ReadFile(driver.Base() + "/target" + extension), kOutside) << extension;
  EXPECT_FALSE(FileExists(driver.Folder(2) + "/w.mag"));
}

// The register's status file, planted as a link: replaced by the driver's own file.
void PlantStatusLink(CRunningDriver& driver) {
  PlantLink(OutsideFile(driver, "status-target"), driver.Folder(2) + "/ticketstatus.out");
  driver.DropTicket(2, "total.txt", Receipt("Total"));
}

void CheckStatusWrittenInPlace(CRunningDriver& driver) {
  EXPECT_EQ(driver.WaitForReply(2, "total.txt"), "0\n") << driver.Log();
  EXPECT_TRUE(WaitForRegularFileWith(driver.Folder(2) + "/ticketstatus.out", "D01 ")) << driver.Log();
  EXPECT_EQ(ReadFile(driver.Base() + "/status-target"), kOutside);
}

// A ticket still held by its writer is swapped for a FIFO before the driver opens it: the driver does
// not block on it, and the register's later tickets are served.
void SwapHeldTicketForFifo(CRunningDriver& driver) {
  std::ofstream held(driver.Folder(2) + "/h.txt", std::ios::binary);
  held << "0 1\n" << std::flush;
  ASSERT_TRUE(driver.WaitForLog("ProcessTicketFile for id 2")) << driver.Log();
  std::string fifo = driver.Folder(2) + "/h.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::rename(fifo, driver.Folder(2) + "/h.txt");
  held.close();
  ASSERT_TRUE(driver.WaitForLog("/h.txt] is no regular file: left alone")) << driver.Log();
  driver.DropTicket(2, "later.txt", Receipt("Later"));
}

INSTANTIATE_TEST_SUITE_P(
    PlantedInATicketFolder, LinksAndSpecialFiles,
    ::testing::Values(
        CPlantedCase{"TicketLinkedToATicketElsewhere", "", "",
                     [](CRunningDriver& driver) {
                       testsupport::WriteFile(driver.Base() + "/elsewhere.txt", Receipt("Elsewhere"));
                       PlantLink(driver.Base() + "/elsewhere.txt", driver.Folder(2) + "/link.txt");
                     },
                     [](CRunningDriver& driver) {
                       ExpectLeftAloneOnce(driver, "link.txt");
                       EXPECT_EQ(endtoend::Occurrences(driver.Journal(2), "Elsewhere"), 0);
                       EXPECT_TRUE(std::filesystem::is_symlink(driver.Folder(2) + "/link.txt"));
                     }},
        CPlantedCase{"TicketLinkedToASystemFile", "", "",
                     [](CRunningDriver& driver) { PlantLink("/etc/passwd", driver.Folder(2) + "/passwd.txt"); },
                     [](CRunningDriver& driver) {
                       ExpectLeftAloneOnce(driver, "passwd.txt");
                       EXPECT_FALSE(FileExists(driver.Folder(2) + "/passwd.err"));
                     }},
        CPlantedCase{"TicketThatIsAFifo", "", "",
                     [](CRunningDriver& driver) { ASSERT_EQ(::mkfifo((driver.Folder(2) + "/fifo.txt").c_str(), 0644), 0); },
                     [](CRunningDriver& driver) { ExpectLeftAloneOnce(driver, "fifo.txt"); }},
        CPlantedCase{"HeldTicketSwappedForAFifo", "", "", SwapHeldTicketForFifo,
                     [](CRunningDriver& driver) {
                       EXPECT_EQ(driver.WaitForReply(2, "later.txt"), "0\n") << driver.Log();
                       EXPECT_FALSE(FileExists(endtoend::ReplyPath(driver.Folder(2), "h.txt")));
                     }},
        CPlantedCase{"WarningAndReplyFilesLinkedWhileTheJobRuns", "", "[ECR2]\r\nLineDelayMs=500\r\n",
                     PlantJobFileLinks, CheckJobFilesWrittenInPlace},
        CPlantedCase{"StatusFileLinked", "[TillJob]\r\nDisplayLastTotal=1\r\n", "", PlantStatusLink,
                     CheckStatusWrittenInPlace}),
    [](const ::testing::TestParamInfo<CPlantedCase>& info) { return std::string(info.param.m_Name); });

struct CLimitCase {
  const char* m_Name;
  // Writes the ticket at the path given.
  std::function<void(const std::string&)> m_Write;
  const char* m_Reply;
  const char* m_LogText;    // a line the driver must have logged, or empty
  const char* m_NotPrinted; // a text the register must not have printed, or empty
};

void PrintTo(const CLimitCase& limit, std::ostream* out) { *out << limit.m_Name; }

class TicketLimits : public ::testing::TestWithParam<CLimitCase> {};

// A ticket of comment lines that ends with the end record and is exactly size bytes long.
void WriteCommentTicket(const std::string& path, std::size_t size) {
  std::string line = "/" + std::string(62, 'c') + "\n";
  std::string ticket;
  while (size - ticket.size() > line.size() + 5) ticket += line;
  ticket += "/" + std::string(size - ticket.size() - 5, 'c') + "\n99\n";
  ASSERT_EQ(ticket.size(), size);
  testsupport::WriteFile(path, ticket);
}

TEST_P(TicketLimits, WhatNoTillWritesIsRejectedWith22AndKept) {
  const CLimitCase& limit = GetParam();
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  std::string part = driver.Folder(2) + "/limit.part";
  limit.m_Write(part);
  std::filesystem::rename(part, driver.Folder(2) + "/limit.txt");
  EXPECT_EQ(driver.WaitForReply(2, "limit.txt"), limit.m_Reply) << driver.Log();
  EXPECT_EQ(FileExists(driver.Folder(2) + "/limit.err"), std::string(limit.m_Reply) == "22\n");
  if (*limit.m_LogText) {
    EXPECT_NE(driver.Log().find(limit.m_LogText), std::string::npos) << driver.Log();
  }
  if (*limit.m_NotPrinted) {
    EXPECT_EQ(endtoend::Occurrences(driver.Journal(2), limit.m_NotPrinted), 0);
  }
  EXPECT_TRUE(endtoend::HalfDone(driver.Folder(2)).empty());
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

INSTANTIATE_TEST_SUITE_P(
    Tickets, TicketLimits,
    ::testing::Values(
        CLimitCase{"OneGigabyteUnread",
                   [](const std::string& path) {
                     std::filesystem::path file(path);
                     std::ofstream(file) << "8\n";
                     std::filesystem::resize_file(file, 1ULL << 30);  // sparse: costs no disk
                   },
                   "22\n", "is larger than [1048576] bytes", ""},
        CLimitCase{"OneByteOverTheCap", [](const std::string& path) { WriteCommentTicket(path, (1u << 20) + 1); },
                   "22\n", "is larger than [1048576] bytes", ""},
        CLimitCase{"ExactlyTheCap", [](const std::string& path) { WriteCommentTicket(path, 1u << 20); }, "0\n", "",
                   ""},
        CLimitCase{"NulByteInARecord",
                   [](const std::string& path) {
                     std::string sale = Record("1", {{0, "1"}, {25, "1,00"}, {35, "1"}, {38, "AB"}, {80, "1"}}, 81);
                     sale[2 + 40] = '\0';  // "AB\0CD"
                     sale[2 + 41] = 'C';
                     sale[2 + 42] = 'D';
                     testsupport::WriteFile(path, "0 1\n" + sale + "\n");
                   },
                   "22\n", "line 2 rejected: NUL byte in the record", "AB"}),
    [](const ::testing::TestParamInfo<CLimitCase>& info) { return std::string(info.param.m_Name); });

// "CASE.TXT" and "case.txt" share the reply "case.rep": the second runs only once the first's reply has
// been collected, so each till reads the reply to its own ticket.
TEST(TicketNames, DifferingOnlyInCaseTakeTurnsForTheirReply) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  std::string folder = driver.Folder(2);
  testsupport::WriteFile(folder + "/upper.part", Receipt("Upper"));
  testsupport::WriteFile(folder + "/lower.part", Receipt("Lower"));
  std::filesystem::rename(folder + "/upper.part", folder + "/CASE.TXT");
  std::filesystem::rename(folder + "/lower.part", folder + "/case.txt");
  ASSERT_EQ(driver.WaitForReply(2, "case.txt"), "0\n") << driver.Log();
  // One ticket's reply is there; the other's waits for it to be collected (the journal proves which).
  std::string journal = driver.Journal(2);
  EXPECT_EQ(endtoend::Occurrences(journal, "Upper") + endtoend::Occurrences(journal, "Lower"), 1) << journal;
  driver.DropTicket(1, "meanwhile.txt", Receipt());
  ASSERT_EQ(driver.WaitForReply(1, "meanwhile.txt"), "0\n") << driver.Log();
  EXPECT_EQ(endtoend::HalfDone(folder).size(), 1u) << "the second ticket still waits";

  std::filesystem::remove(folder + "/case.rep");  // the first till collects its reply
  ASSERT_EQ(driver.WaitForReply(2, "case.txt"), "0\n") << driver.Log();
  journal = driver.Journal(2);
  EXPECT_EQ(endtoend::Occurrences(journal, "Upper"), 1) << journal;
  EXPECT_EQ(endtoend::Occurrences(journal, "Lower"), 1) << journal;
  EXPECT_TRUE(endtoend::HalfDone(folder).empty());
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

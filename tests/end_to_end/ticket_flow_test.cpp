// Tickets flow end to end: dropped into a register's folder, noticed by the folder monitor, translated,
// executed on the emulated register and answered, with no other trigger.

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/profile.h"
#include "platform/text_encoding.h"
#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using endtoend::DropStyle;
using endtoend::Receipt;
using endtoend::Record;

constexpr char kFourWarnings[] = "  0    0\n  1    0\n  2    0\n  3    0\n";

TEST(TicketFlow, ReceiptOnEveryRegisterTypeIsAnsweredAndPrinted) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  for (int ecr = 1; ecr <= 4; ++ecr) driver.DropTicket(ecr, "sale.txt", Receipt("Water" + std::to_string(ecr)));
  for (int ecr = 1; ecr <= 4; ++ecr) {
    SCOPED_TRACE("register " + std::to_string(ecr));
    std::optional<std::string> reply = driver.WaitForReply(ecr, "sale.txt");
    ASSERT_TRUE(reply) << driver.Log();
    EXPECT_EQ(*reply, "0\n");
    EXPECT_EQ(driver.ReadTicketFile(ecr, "sale.txt", ".inf"), kFourWarnings);
    std::string journal = driver.Journal(ecr);
    EXPECT_NE(journal.find("Water" + std::to_string(ecr)), std::string::npos) << journal;
    EXPECT_TRUE(endtoend::HalfDone(driver.Folder(ecr)).empty());
  }
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

TEST(TicketFlow, RejectedAndSlowlyWrittenCapitalisedTickets) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  std::string bad = "0 1\n" + Record("1", {{0, "1"}, {25, "1,O0"}, {35, "1"}, {38, "Typo"}, {80, "1"}}, 81) + "\n";
  driver.DropTicket(2, "bad.txt", bad);
  ASSERT_EQ(driver.WaitForReply(2, "bad.txt"), "22\n") << driver.Log();
  EXPECT_EQ(driver.ReadTicketFile(2, "bad.txt", ".err"), bad);

  driver.DropTicket(3, "TILL7.TXT", Receipt(), DropStyle::kInPieces);
  EXPECT_EQ(driver.WaitForReply(3, "TILL7.TXT"), "0\n") << driver.Log();
  EXPECT_EQ(driver.ReadTicketFile(3, "TILL7.TXT", ".inf"), kFourWarnings);
  EXPECT_TRUE(endtoend::HalfDone(driver.Folder(3)).empty());
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// The ticket's text in a code page, as a till on that code page writes it.
std::string InEncoding(const std::string& utf8, const char* encoding) {
  const iconv_t converter = ::iconv_open(encoding, "UTF-8");
  std::string out(utf8.size() * 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  char* at = out.data();
  std::size_t inLeft = utf8.size();
  std::size_t outLeft = out.size();
  const bool converted = ::iconv(converter, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
  ::iconv_close(converter);
  EXPECT_TRUE(converted) << encoding;
  out.resize(out.size() - outLeft);
  return out;
}

// A till pads its columns by characters; the register prints what it wrote, cut on characters to the
// register's width, markup characters and all; a copy reprints the whole receipt.
TEST(TicketFlow, GreekAndItalianTextReachesTheRegisterAsTheTillWroteIt) {
  using platform::Utf8PadRight;
  const auto sale = [](const std::string& description) {
    return "1 " + Utf8PadRight("", 25) + Utf8PadRight("1,00", 10) + "1  " + Utf8PadRight(description, 42) + "1\n";
  };
  struct Case {
    const char* encoding;
    std::string description;  // longer than the 21 characters of register 1
    std::string printed;
  } cases[] = {
      {"UTF-8", "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝΗΤΕΣ ΚΑΙ ΣΑΛΑΤΑ", "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝ"},
      {"UTF-8", "CAFFÈ MACCHIATO E BRIOCHE ALLA CREMA", "CAFFÈ MACCHIATO E BRI"},
      {"CP1253", "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝΗΤΕΣ ΚΑΙ ΣΑΛΑΤΑ", "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝ"},
      {"CP1252", "CAFFÈ MACCHIATO E BRIOCHE ALLA CREMA", "CAFFÈ MACCHIATO E BRI"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.encoding) + " " + c.description);
    endtoend::CDriverSetup setup;
    setup.m_DriverIni += std::string("[TillJob]\r\nDescriptionCheck=1\r\nTicketEncoding=") + c.encoding + "\r\n";
    CRunningDriver driver(setup);
    ASSERT_TRUE(driver.Start()) << driver.Log();
    const std::string receipt = "0 1\n" + sale(c.description) + sale("FISH & CHIPS <2>") +
                                Record("6", {{0, "2,00"}, {10, "CASH"}, {46, "1"}}, 47) + "\n";
    driver.DropTicket(1, "sale.txt", InEncoding(receipt, c.encoding));
    ASSERT_EQ(driver.WaitForReply(1, "sale.txt"), "0\n") << driver.Log();
    driver.DropTicket(1, "copy.txt", "9\n");
    ASSERT_EQ(driver.WaitForReply(1, "copy.txt"), "0\n") << driver.Log();
    const std::string journal = driver.Journal(1);
    EXPECT_FALSE(platform::FirstInvalidUtf8(journal)) << journal;
    const std::string item = Utf8PadRight(c.printed, 28) + "        1.00";
    const std::string markup = Utf8PadRight("FISH & CHIPS <2>", 28) + "        1.00";
    // Printed once, and once more by the copy.
    EXPECT_NE(journal.find(item), journal.rfind(item)) << journal;
    EXPECT_NE(journal.find(markup), journal.rfind(markup)) << journal;
    // A ticket that is not in the declared encoding is refused, its line and column named.
    driver.DropTicket(1, "bad.txt", "0 1\n5 00AB\x81\n");
    EXPECT_EQ(driver.WaitForReply(1, "bad.txt"), "22\n");
    EXPECT_TRUE(driver.WaitForLog("line 2 rejected: byte 0x81 at column 7 is no")) << driver.Log();
    EXPECT_EQ(driver.Stop(), 0) << driver.Log();
  }
}

TEST(TicketFlow, ManyTicketsAtOnceAreEachAnsweredExactlyOnce) {
  CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  constexpr int kPerRegister = 6;
  for (int n = 0; n < kPerRegister; ++n)
    for (int ecr = 1; ecr <= 4; ++ecr) driver.DropTicket(ecr, "t" + std::to_string(n) + ".txt", Receipt());
  for (int ecr = 1; ecr <= 4; ++ecr) {
    for (int n = 0; n < kPerRegister; ++n) {
      std::string name = "t" + std::to_string(n) + ".txt";
      EXPECT_EQ(driver.WaitForReply(ecr, name), "0\n") << "register " << ecr << " " << name;
      EXPECT_EQ(driver.ReadTicketFile(ecr, name, ".inf"), kFourWarnings) << "register " << ecr << " " << name;
    }
    EXPECT_TRUE(endtoend::HalfDone(driver.Folder(ecr)).empty());
  }
  std::string totals = driver.Base() + "/Totals.txt";
  EXPECT_EQ(platform::GetPrivateProfileString("TICKETS", "Found", "", 9, totals), std::to_string(4 * kPerRegister));
  EXPECT_EQ(platform::GetPrivateProfileString("TICKETS", "Done", "", 9, totals), std::to_string(4 * kPerRegister));
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

// While the driver waits for a till that is still writing its ticket, a sale already under way on
// another register is finished and answered: its register is not kept waiting for that writer.
TEST(TicketFlow, ASaleUnderWayIsAnsweredWhileAnotherTicketIsStillBeingWritten) {
  endtoend::CDriverSetup setup;
  setup.m_EmulatorIni = "[Registers]\r\n1=1\r\n2=2\r\n[ECR1]\r\nLineDelayMs=150\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  driver.DropTicket(1, "sale.txt", Receipt("Slow"));
  ASSERT_TRUE(driver.WaitForLog("<DESCRIPTION>Slow</DESCRIPTION>")) << driver.Log();

  const std::string ticket = Receipt("Held");
  const std::size_t firstLine = ticket.find('\n') + 1;
  std::ofstream held(driver.Folder(2) + "/held.txt", std::ios::binary);
  held << ticket.substr(0, firstLine) << std::flush;
  ASSERT_TRUE(driver.WaitForLog("ProcessTicketFile for id 2")) << driver.Log();
  // The writer wait gives up after 10 s; the sale must be answered well before, while it goes on.
  EXPECT_EQ(driver.WaitForReply(1, "sale.txt", std::chrono::seconds(8)), "0\n") << driver.Log();
  EXPECT_EQ(driver.Log().find("CreateFile ERROR"), std::string::npos) << "the writer wait ended first";

  held << ticket.substr(firstLine);
  held.close();
  EXPECT_EQ(driver.WaitForReply(2, "held.txt"), "0\n") << driver.Log();
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

TEST(TicketFlow, TicketsWaitingBeforeTheStartAreAnswered) {
  CRunningDriver driver;
  // The folders exist from an earlier run, with tickets the point-of-sale programs dropped meanwhile.
  for (int ecr : {1, 4}) {
    std::filesystem::create_directories(driver.Folder(ecr));
    testsupport::WriteFile(driver.Folder(ecr) + "/early.txt", Receipt());
  }
  ASSERT_TRUE(driver.Start()) << driver.Log();
  EXPECT_EQ(driver.WaitForReply(1, "early.txt"), "0\n") << driver.Log();
  EXPECT_EQ(driver.WaitForReply(4, "early.txt"), "0\n") << driver.Log();
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

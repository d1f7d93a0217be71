// A long run of mixed tickets against the real driver while the registers run out of paper and report
// errors at random moments. Every ticket must end in exactly one reply, nothing may be left half-done,
// no receipt may print twice, and the counters in "Totals.txt" must agree with what was dropped.
//
// QOR_SOAK_TICKETS sets how many tickets (default 1000), QOR_SOAK_SEED the seed of the ticket mix and of
// the fault schedule (default fixed, so a failure can be run again).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/profile.h"
#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using endtoend::DropStyle;
using endtoend::Receipt;
using endtoend::Record;
using Clock = std::chrono::steady_clock;

constexpr int kRegisters = 4;
// A folder of no register: tickets dropped there belong to nobody and must be left alone.
constexpr int kNoRegister = 9;

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atoi(text) : fallback;
}

enum class TicketKind { kReceipt, kCapitalised, kSlowWriter, kRejected, kNoRegister, kVoid };

struct CDropped {
  int m_Ecr = 0;
  TicketKind m_Kind = TicketKind::kReceipt;
  std::string m_Name;  // as dropped
  std::string m_Item;  // the receipt's unique first item, empty for other tickets
  std::string m_Reply;
};

TicketKind PickKind(std::mt19937& random) {
  int roll = static_cast<int>(random() % 100);
  if (roll < 60) return TicketKind::kReceipt;
  if (roll < 72) return TicketKind::kCapitalised;
  if (roll < 82) return TicketKind::kSlowWriter;
  if (roll < 95) return TicketKind::kRejected;
  return TicketKind::kNoRegister;
}

std::string Rejected(const std::string& item) {
  return "0 1\n" + Record("1", {{0, "1"}, {25, "1,O0"}, {35, "1"}, {38, item}, {80, "1"}}, 81) + "\n";
}

// One point-of-sale program per register: drops a ticket, waits for its reply, and voids the open
// receipt after a sale that did not end well, as a till does before it goes on.
class CPointOfSale {
 public:
  CPointOfSale(CRunningDriver& driver, int ecr, int tickets, unsigned seed)
      : m_Driver(driver), m_Ecr(ecr), m_Tickets(tickets), m_Random(seed) {}

  void Run() {
    bool voidNext = false;
    for (int n = 0; n < m_Tickets; ++n) {
      CDropped ticket = voidNext ? Void(n) : Next(n);
      voidNext = false;
      if (ticket.m_Kind == TicketKind::kNoRegister) {
        m_Dropped.push_back(ticket);
        continue;
      }
      std::optional<std::string> reply = WaitForReply(ticket);
      ticket.m_Reply = reply ? *reply : "<none>";
      if (!reply) return m_Dropped.push_back(ticket);
      bool sale = ticket.m_Kind != TicketKind::kRejected && ticket.m_Kind != TicketKind::kVoid;
      voidNext = sale && *reply != "0\n";
      m_Dropped.push_back(ticket);
    }
  }

  const std::vector<CDropped>& Dropped() const { return m_Dropped; }

 private:
  CDropped Next(int n) {
    CDropped ticket;
    ticket.m_Ecr = m_Ecr;
    ticket.m_Kind = PickKind(m_Random);
    char item[16];
    std::snprintf(item, sizeof item, "I%d%05d", m_Ecr, n);
    ticket.m_Item = item;
    ticket.m_Name = "t" + std::to_string(n) + ".txt";
    switch (ticket.m_Kind) {
      case TicketKind::kReceipt: m_Driver.DropTicket(m_Ecr, ticket.m_Name, Receipt(item)); break;
      case TicketKind::kCapitalised:
        ticket.m_Name = "T" + std::to_string(n) + ".TXT";
        m_Driver.DropTicket(m_Ecr, ticket.m_Name, Receipt(item));
        break;
      case TicketKind::kSlowWriter:
        m_Driver.DropTicket(m_Ecr, ticket.m_Name, Receipt(item), DropStyle::kInPieces, std::chrono::milliseconds(25));
        break;
      case TicketKind::kRejected: m_Driver.DropTicket(m_Ecr, ticket.m_Name, Rejected(item)); break;
      case TicketKind::kNoRegister:
        ticket.m_Ecr = kNoRegister;
        ticket.m_Name = "r" + std::to_string(m_Ecr) + "-" + std::to_string(n) + ".txt";
        m_Driver.DropTicket(kNoRegister, ticket.m_Name, Receipt(item));
        break;
      case TicketKind::kVoid: break;
    }
    return ticket;
  }

  CDropped Void(int n) {
    CDropped ticket;
    ticket.m_Ecr = m_Ecr;
    ticket.m_Kind = TicketKind::kVoid;
    ticket.m_Name = "v" + std::to_string(n) + ".txt";
    m_Driver.DropTicket(m_Ecr, ticket.m_Name, "8\n");
    return ticket;
  }

  // A paper-out fault holds a ticket until the paper is back, which the fault schedule ensures.
  std::optional<std::string> WaitForReply(const CDropped& ticket) {
    std::string reply = endtoend::ReplyPath(m_Driver.Folder(m_Ecr), ticket.m_Name);
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
      if (testsupport::FileExists(reply)) return testsupport::ReadFile(reply);
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    return std::nullopt;
  }

  CRunningDriver& m_Driver;
  int m_Ecr;
  int m_Tickets;
  std::mt19937 m_Random;
  std::vector<CDropped> m_Dropped;
};

// Turns paper-out and generic-error faults on and off at random moments through the emulator's
// settings file, as an operator and a tired printer would, until told to stop; leaves every fault off.
class CFaultSchedule {
 public:
  CFaultSchedule(CRunningDriver& driver, std::string registers, unsigned seed)
      : m_Driver(driver), m_Registers(std::move(registers)), m_Random(seed) {}

  void Run() {
    while (!m_Stop) {
      Pause(50, 250);
      int ecr = 1 + static_cast<int>(m_Random() % kRegisters);
      bool paper = m_Random() % 10 < 7;
      Write(std::string("[ECR") + std::to_string(ecr) + "]\r\n" + (paper ? "PaperOut=1" : "GenericError=1") + "\r\n");
      ++(paper ? m_PaperOuts : m_GenericErrors);
      Pause(20, 200);
      Write("");
    }
  }
  void Stop() { m_Stop = true; }
  int PaperOuts() const { return m_PaperOuts; }
  int GenericErrors() const { return m_GenericErrors; }

 private:
  void Pause(int from, int to) {
    std::this_thread::sleep_for(std::chrono::milliseconds(from + static_cast<int>(m_Random() % (to - from))));
  }
  void Write(const std::string& faults) { m_Driver.SetEmulatorSettings(m_Registers + faults); }

  CRunningDriver& m_Driver;
  std::string m_Registers;
  std::mt19937 m_Random;
  std::atomic<bool> m_Stop{false};
  int m_PaperOuts = 0;
  int m_GenericErrors = 0;
};

// What a dropped ticket must have left behind once answered.
void CheckAnswered(CRunningDriver& driver, const CDropped& ticket, const std::string& journal) {
  SCOPED_TRACE("register " + std::to_string(ticket.m_Ecr) + " ticket " + ticket.m_Name);
  static const std::regex kOneCode("[0-9]+\n");
  ASSERT_TRUE(std::regex_match(ticket.m_Reply, kOneCode)) << ticket.m_Reply;
  int printed = ticket.m_Item.empty() ? 0 : endtoend::Occurrences(journal, ticket.m_Item);
  switch (ticket.m_Kind) {
    case TicketKind::kRejected:
      EXPECT_EQ(ticket.m_Reply, "22\n");
      EXPECT_EQ(driver.ReadTicketFile(ticket.m_Ecr, ticket.m_Name, ".err"), Rejected(ticket.m_Item));
      EXPECT_EQ(printed, 0);
      break;
    case TicketKind::kVoid: break;
    default:
      // Paper out in the middle of a receipt is waited for, so a sale ends well unless the register
      // had no paper when the receipt was to be opened (16), reported an error (19), an error had left
      // a receipt open (15), or an error hit while the keyboard was being locked (3).
      EXPECT_TRUE(ticket.m_Reply == "0\n" || ticket.m_Reply == "16\n" || ticket.m_Reply == "19\n" ||
                  ticket.m_Reply == "15\n" || ticket.m_Reply == "3\n")
          << ticket.m_Reply;
      EXPECT_LE(printed, 1) << "a receipt printed twice";
      if (ticket.m_Reply == "0\n") {
        EXPECT_EQ(printed, 1);
      }
  }
}

TEST(Soak, MixedTicketsUnderRandomRegisterFaultsAreEachAnsweredOnce) {
  const int tickets = EnvironmentNumber("QOR_SOAK_TICKETS", 1000);
  const unsigned seed = static_cast<unsigned>(EnvironmentNumber("QOR_SOAK_SEED", 20261208));
  std::printf("soak: %d tickets, seed %u\n", tickets, seed);
  const std::string registers = "[Registers]\r\n1=1\r\n2=2\r\n3=0\r\n4=3\r\n";
  endtoend::CDriverSetup setup;
  setup.m_EmulatorIni = registers;
  setup.m_DriverIni = "[OCXManager]\r\nSingleClient=0\r\n[TillJob]\r\nOnErrorContinue=1\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  std::filesystem::create_directories(driver.Folder(kNoRegister));

  CFaultSchedule faults(driver, registers, seed);
  std::thread faultThread([&] { faults.Run(); });
  std::vector<CPointOfSale> tills;
  for (int ecr = 1; ecr <= kRegisters; ++ecr)
    tills.emplace_back(driver, ecr, tickets / kRegisters, seed + static_cast<unsigned>(ecr));
  std::vector<std::thread> tillThreads;
  for (CPointOfSale& till : tills) tillThreads.emplace_back([&till] { till.Run(); });
  for (std::thread& thread : tillThreads) thread.join();
  faults.Stop();
  faultThread.join();

  std::map<std::string, int> replies;
  int inWatchedFolders = 0;
  for (int ecr = 1; ecr <= kRegisters; ++ecr) {
    std::string journal = driver.Journal(ecr);
    for (const CDropped& ticket : tills[ecr - 1].Dropped()) {
      if (ticket.m_Kind == TicketKind::kNoRegister) {
        EXPECT_TRUE(testsupport::FileExists(driver.Folder(kNoRegister) + "/" + ticket.m_Name)) << ticket.m_Name;
        continue;
      }
      ++inWatchedFolders;
      ++replies[ticket.m_Reply];
      CheckAnswered(driver, ticket, journal);
    }
    EXPECT_TRUE(endtoend::HalfDone(driver.Folder(ecr)).empty()) << "register " << ecr;
    EXPECT_EQ(endtoend::CountWithExtension(driver.Folder(ecr), ".rep"),
              static_cast<int>(tills[ecr - 1].Dropped().size()) -
                  endtoend::CountWithExtension(driver.Folder(kNoRegister), ".txt", "r" + std::to_string(ecr) + "-"));
  }
  EXPECT_EQ(endtoend::CountWithExtension(driver.Folder(kNoRegister), ".rep"), 0);
  std::string totals = driver.Base() + "/Totals.txt";
  EXPECT_EQ(platform::GetPrivateProfileString("TICKETS", "Found", "", 12, totals), std::to_string(inWatchedFolders));
  EXPECT_EQ(platform::GetPrivateProfileString("TICKETS", "Done", "", 12, totals), std::to_string(inWatchedFolders));
  std::printf("soak: %d paper-outs, %d generic errors; replies:", faults.PaperOuts(), faults.GenericErrors());
  for (const auto& [reply, count] : replies) std::printf(" %s=%d", reply.substr(0, reply.size() - 1).c_str(), count);
  std::printf("\n");
  EXPECT_GT(replies["0\n"], inWatchedFolders / 2) << "most sales end well";
  int stopped = driver.Stop();
  EXPECT_EQ(stopped, 0);
  if (::testing::Test::HasFailure()) {
    // The status events of the fault schedule drown everything else.
    std::string log;
    std::istringstream lines(driver.Log());
    for (std::string line; std::getline(lines, line);)
      if (line.find("OnStatusUpdateEventQorctrl") == std::string::npos) log += line + "\n";
    std::printf("driver log, last part:\n%s\n", log.substr(log.size() > 30000 ? log.size() - 30000 : 0).c_str());
  }
}

}  // namespace

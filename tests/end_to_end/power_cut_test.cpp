// Power cuts in a busy shop, on a real file system. The ticket root is an ext4 image on a loop device;
// a cut kills the driver and puts back only what that disk held, as a power failure does. The base
// directory (settings, the registers' memory and journals) stays on the machine's own disk: a register
// remembers through a power failure. The tills are careful: a ticket is flushed before and after it
// takes its name, and a reply they have read is removed and the removal flushed. Once the cuts are
// over, every ticket must have exactly one reply, true to what its register printed, and every
// register must take the next receipt.
//
// QOR_CUT_SEED picks the drops and instants of the cuts (default fixed; the test prints it),
// QOR_CUT_COUNT how many cuts (default 10).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/end_to_end/cut_disk.h"
#include "tests/end_to_end/running_driver.h"
#include "tests/end_to_end/ticket_folder_scan.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using endtoend::Occurrences;
using Clock = std::chrono::steady_clock;

constexpr int kRegisters = 4;
// A till that has had no reply for this long has lost its ticket.
constexpr auto kStalled = std::chrono::seconds(30);

unsigned EnvironmentNumber(const char* name, unsigned fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

void FlushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0) << folder;
  EXPECT_EQ(::fsync(fd), 0) << folder;
  ::close(fd);
}

// Written and flushed under a temporary name, renamed, and the rename flushed: a cut leaves either no
// ticket or the whole one, and none that the till has counted as sent is lost.
void DropDurably(const std::string& folder, const std::string& stem, const std::string& text) {
  const std::string temporary = folder + "/" + stem + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << temporary;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
  ::close(fd);
  ASSERT_TRUE(written) << temporary;
  ASSERT_EQ(::rename(temporary.c_str(), (folder + "/" + stem + ".txt").c_str()), 0) << temporary;
  FlushFolder(folder);
}

struct CTicket {
  int m_Ecr = 0;
  std::string m_Marker;  // the receipt's first item, found in no other ticket
  std::string m_Stem;    // the marker in lower case; the ticket is "<stem>.txt"
  int m_Cuts = 0;        // cuts before it was dropped
  bool m_Last = false;   // dropped after the last cut: must be printed
  std::vector<std::string> m_Replies;  // every reply read for it
};

// One till per register, one ticket at a time: the next is dropped once the last one's reply has been
// read. Every reply found is read, removed with its ".inf" and the removal flushed, as a careful till
// collects it; a reply that comes again for a ticket already answered is counted too.
class CCarefulTills {
 public:
  explicit CCarefulTills(CRunningDriver& driver) : m_Driver(driver) {}

  // Keeps the registers busy until count more tickets have gone in; false when no till has had a
  // reply for kStalled.
  bool DropUntil(int count, int cuts) {
    Clock::time_point progress = Clock::now();
    for (int dropped = 0; dropped < count;) {
      const int now = Step(true, cuts);
      dropped += now;
      if (now > 0) progress = Clock::now();
      if (Clock::now() - progress > kStalled || ::testing::Test::HasFatalFailure()) return false;
      Pause();
    }
    return true;
  }
  void DropFor(std::chrono::milliseconds time, int cuts) {
    for (const Clock::time_point end = Clock::now() + time; Clock::now() < end;) {
      Step(true, cuts);
      Pause();
    }
  }
  // A last receipt on every register, whether or not its till still waits for a reply.
  void DropLast(int cuts) {
    for (int ecr = 1; ecr <= kRegisters; ++ecr) Drop(ecr, "PC" + std::to_string(ecr) + "xEND", cuts, true);
  }
  // Collects replies until the latest ticket of each register has one; false at the limit.
  bool WaitForReplies(std::chrono::seconds limit) {
    for (const Clock::time_point end = Clock::now() + limit;; Pause()) {
      Step(false, 0);
      if (Waiting().empty()) return true;
      if (Clock::now() >= end) return false;
    }
  }

  std::string Waiting() const {
    std::string names;
    for (int ecr = 1; ecr <= kRegisters; ++ecr)
      if (m_Waiting[ecr]) names += " " + std::to_string(ecr) + "/" + m_Tickets[*m_Waiting[ecr]].m_Stem + ".txt";
    return names;
  }
  const std::vector<CTicket>& Tickets() const { return m_Tickets; }
  // Replies to no ticket the tills dropped.
  const std::vector<std::string>& Strays() const { return m_Strays; }

 private:
  static void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

  // Collects every register's replies and, with drop, gives each till without a ticket under way its
  // next one; how many went in.
  int Step(bool drop, int cuts) {
    int dropped = 0;
    for (int ecr = 1; ecr <= kRegisters; ++ecr) {
      Collect(ecr);
      if (!drop || m_Waiting[ecr]) continue;
      char marker[16];
      std::snprintf(marker, sizeof marker, "PC%dx%03d", ecr, m_Count[ecr]++);
      Drop(ecr, marker, cuts, false);
      ++dropped;
    }
    return dropped;
  }

  void Drop(int ecr, const std::string& marker, int cuts, bool last) {
    CTicket ticket{ecr, marker, marker, cuts, last, {}};
    for (char& c : ticket.m_Stem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    DropDurably(m_Driver.Folder(ecr), ticket.m_Stem, endtoend::Receipt(marker));
    m_ByStem[{ecr, ticket.m_Stem}] = m_Tickets.size();
    m_Waiting[ecr] = m_Tickets.size();
    m_Tickets.push_back(std::move(ticket));
  }

  void Collect(int ecr) {
    const std::string folder = m_Driver.Folder(ecr);
    std::vector<std::string> stems;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
      if (entry.path().extension() == ".rep") stems.push_back(entry.path().stem().string());
    for (const std::string& stem : stems) {
      const std::string text = testsupport::ReadFile(folder + "/" + stem + ".rep");
      std::filesystem::remove(folder + "/" + stem + ".inf", error);
      std::filesystem::remove(folder + "/" + stem + ".rep", error);
      const auto ticket = m_ByStem.find({ecr, stem});
      if (ticket == m_ByStem.end()) {
        m_Strays.push_back(folder + "/" + stem + ".rep");
        continue;
      }
      m_Tickets[ticket->second].m_Replies.push_back(text);
      if (m_Waiting[ecr] == ticket->second) m_Waiting[ecr].reset();
    }
    if (!stems.empty()) FlushFolder(folder);
  }

  CRunningDriver& m_Driver;
  std::vector<CTicket> m_Tickets;
  std::map<std::pair<int, std::string>, std::size_t> m_ByStem;
  std::optional<std::size_t> m_Waiting[kRegisters + 1];
  int m_Count[kRegisters + 1] = {};
  std::vector<std::string> m_Strays;
};

// A register's journal cut into receipts: each ends with its "RECEIPT NO." (closed) or "RECEIPT VOIDED"
// line; what follows the last end is a receipt still open. A refused command, which the journal shows
// with its text, printed nothing and belongs to none.
struct CJournal {
  explicit CJournal(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("REFUSED ", 0) == 0) continue;
      m_Open += line + "\n";
      if (line.rfind("RECEIPT NO.", 0) == 0) m_Closed.push_back(std::move(m_Open));
      else if (line.rfind("RECEIPT VOIDED", 0) == 0) m_Voided.push_back(std::move(m_Open));
      else continue;
      m_Open.clear();
    }
  }
  std::vector<std::string> m_Closed;
  std::vector<std::string> m_Voided;
  std::string m_Open;
};

struct CPrinted {
  int m_Closed = 0;  // times in receipts the register closed
  int m_Voided = 0;
  int m_Open = 0;
};

CPrinted PrintedIn(const CJournal& journal, const std::string& marker) {
  // A sale line pads its description with blanks: "PC1x100 " is not found in "PC1x1000".
  const std::string item = marker + " ";
  CPrinted printed;
  for (const std::string& receipt : journal.m_Closed) printed.m_Closed += Occurrences(receipt, item);
  for (const std::string& receipt : journal.m_Voided) printed.m_Voided += Occurrences(receipt, item);
  printed.m_Open = Occurrences(journal.m_Open, item);
  return printed;
}

// A run's log for a failure report: its start (what the driver found and resolved) and its end (what
// was under way at the cut), without the status events of every command.
std::string Excerpt(const std::string& log) {
  std::string kept;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);)
    if (line.find("OnStatusUpdateEventQorctrl") == std::string::npos) kept += line + "\n";
  constexpr std::size_t kEachEnd = 3000;
  if (kept.size() <= 2 * kEachEnd) return kept;
  return kept.substr(0, kEachEnd) + "\n[...]\n" + kept.substr(kept.size() - kEachEnd);
}

std::string Shown(const std::string& reply) {
  std::string shown = "\"";
  for (char c : reply) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
  return shown + "\"";
}

// What the till was told that the register does not bear out; empty when every reply is the truth. A
// 0 is a receipt closed once; 21 a receipt voided; 3 a failure that closed nothing and left nothing open.
std::string WhatIsWrong(const CTicket& ticket, const CPrinted& printed) {
  static const std::regex kOneCode("[0-9]+\n");
  std::vector<std::string> wrong;
  if (ticket.m_Replies.size() != 1)
    wrong.push_back(ticket.m_Replies.empty() ? "no reply" : std::to_string(ticket.m_Replies.size()) + " replies");
  for (const std::string& reply : ticket.m_Replies)
    if (!std::regex_match(reply, kOneCode)) wrong.push_back("a reply without a code");
  if (printed.m_Closed + printed.m_Voided + printed.m_Open > 1) wrong.push_back("printed twice");
  if (printed.m_Open > 0) wrong.push_back("its receipt is left open");
  if (ticket.m_Replies.size() == 1 && std::regex_match(ticket.m_Replies[0], kOneCode)) {
    const int code = std::stoi(ticket.m_Replies[0]);
    if (code == 0 && printed.m_Closed != 1) wrong.push_back("answered 0 but not closed once");
    if (code != 0 && printed.m_Closed > 0) wrong.push_back("closed but answered " + std::to_string(code));
    if (code != 0 && ticket.m_Last) wrong.push_back("the register did not take a receipt after the cuts");
    if (code != 0 && code != 3 && code != 21) wrong.push_back("answered " + std::to_string(code));
  }
  if (wrong.empty()) return {};
  std::string text = "register " + std::to_string(ticket.m_Ecr) + ", " + ticket.m_Stem + ".txt (dropped after " +
                     std::to_string(ticket.m_Cuts) + " cuts):";
  for (const std::string& what : wrong) text += " " + what + ";";
  text += " replies [";
  for (const std::string& reply : ticket.m_Replies) text += " " + Shown(reply);
  return text + " ]; journal: closed " + std::to_string(printed.m_Closed) + ", voided " +
         std::to_string(printed.m_Voided) + ", open " + std::to_string(printed.m_Open);
}

TEST(PowerCut, RandomCutsOnARealFileSystemLoseNoReply) {
  const unsigned seed = EnvironmentNumber("QOR_CUT_SEED", 20261209);
  const int cuts = static_cast<int>(EnvironmentNumber("QOR_CUT_COUNT", 10));
  std::printf("QOR_CUT_SEED=%u QOR_CUT_COUNT=%d\n", seed, cuts);
  CRunningDriver driver;
  const std::string root = driver.Base() + "/Tickets";
  std::filesystem::create_directories(root);
  // Made after the driver, so gone (unmounted) before the driver's base directory is removed.
  endtoend::CCutDisk disk(root);
  if (!disk.Ready()) GTEST_SKIP() << disk.Reason();
  for (int ecr = 1; ecr <= kRegisters; ++ecr) std::filesystem::create_directories(driver.Folder(ecr));
  ASSERT_TRUE(disk.Flush());
  ASSERT_TRUE(driver.Start()) << driver.Log();

  std::mt19937 random(seed);
  CCarefulTills tills(driver);
  std::vector<std::string> logs;  // one per run: each start begins a new log file
  int done = 0;  // cuts so far
  for (; done < cuts; ++done) {
    const int drops = 3 + static_cast<int>(random() % 8);
    const std::chrono::milliseconds delay(random() % 301);
    const bool flowing = tills.DropUntil(drops, done);
    if (::testing::Test::HasFatalFailure()) return;
    if (!flowing) {
      std::printf("no reply for %lld s before cut %d; waiting:%s\n", static_cast<long long>(kStalled.count()),
                  done + 1, tills.Waiting().c_str());
      break;
    }
    tills.DropFor(delay, done);
    std::printf("cut %d: %lld ms after %d drops; waiting:%s\n", done + 1, static_cast<long long>(delay.count()), drops,
                tills.Waiting().c_str());
    ASSERT_TRUE(driver.Kill());
    logs.push_back(driver.Log());
    std::string note;
    ASSERT_TRUE(disk.Cut(note)) << note;
    if (!note.empty()) std::printf("%s\n", note.c_str());
    ASSERT_TRUE(driver.Start()) << driver.Log();
  }
  if (!tills.WaitForReplies(std::chrono::seconds(60)))
    std::printf("no reply within 60 s after the last start:%s\n", tills.Waiting().c_str());
  tills.DropLast(done);
  tills.WaitForReplies(std::chrono::seconds(60));

  std::map<int, CJournal> journals;
  for (int ecr = 1; ecr <= kRegisters; ++ecr) {
    const CJournal& journal = journals.emplace(ecr, CJournal(driver.Journal(ecr))).first->second;
    EXPECT_TRUE(journal.m_Open.empty()) << "register " << ecr << " holds a receipt left open:\n" << journal.m_Open;
    std::string left;
    for (const std::string& name : endtoend::HalfDone(driver.Folder(ecr))) left += " " + name;
    EXPECT_TRUE(left.empty()) << "register " << ecr << " left:" << left;
  }
  for (const std::string& stray : tills.Strays()) ADD_FAILURE() << "a reply to no ticket dropped: " << stray;
  std::vector<std::string> wrong;
  std::map<std::string, int> replies;
  for (const CTicket& ticket : tills.Tickets()) {
    for (const std::string& reply : ticket.m_Replies) ++replies[Shown(reply)];
    const std::string what = WhatIsWrong(ticket, PrintedIn(journals.at(ticket.m_Ecr), ticket.m_Marker));
    if (!what.empty()) wrong.push_back(what);
  }
  std::printf("%zu tickets; replies:", tills.Tickets().size());
  for (const auto& [reply, count] : replies) std::printf(" %s=%d", reply.c_str(), count);
  std::printf("\n");
  if (!wrong.empty()) {
    std::string list;
    for (std::size_t n = 0; n < wrong.size() && n < 40; ++n) list += wrong[n] + "\n";
    ADD_FAILURE() << wrong.size() << " of " << tills.Tickets().size() << " tickets were not answered truly:\n"
                  << list << (wrong.size() > 40 ? "...\n" : "");
  }
  EXPECT_EQ(driver.Stop(), 0);
  // The driver's own check covers only its last run.
  for (std::size_t run = 0; run < logs.size(); ++run)
    EXPECT_EQ(logs[run].find("Sanitizer:"), std::string::npos) << "run " << run + 1 << ":\n" << logs[run];
  if (!::testing::Test::HasFailure()) return;
  logs.push_back(driver.Log());
  for (std::size_t run = 0; run < logs.size(); ++run)
    std::printf("======== driver log, run %zu of %zu ========\n%s", run + 1, logs.size(), Excerpt(logs[run]).c_str());
}

}  // namespace

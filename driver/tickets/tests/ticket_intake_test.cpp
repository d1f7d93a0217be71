#include "driver/tickets/ticket_intake.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <memory>
#include <vector>

#include "platform/profile.h"
#include "testsupport/log_capture.h"
#include "testsupport/temp_folder.h"

namespace {

using driver::CEcrContext;
using driver::CTicketIntake;
using driver::JobStartResult;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

// A record laid out in fixed columns: code, then each (offset, text) at its data offset.
std::string Record(const std::string& code, std::initializer_list<std::pair<int, std::string>> parts, std::size_t length) {
  std::string data(length, ' ');
  for (const auto& [offset, text] : parts) data.replace(offset, text.size(), text);
  return (code.size() == 1 ? code + " " : code) + data;
}

const std::string kSale = Record("1", {{0, "PLU1"}, {25, "1,00"}, {35, "1"}, {38, "Water"}, {80, "1"}}, 81);
const std::string kClose = Record("6", {{0, "1,00"}, {10, "CASH"}, {46, "1"}}, 47);

// A job as the intake started it: its files, on which register, under which code.
struct CTicketJob : driver::CDocumentJob {
  CEcrContext* m_current = nullptr;
  std::int32_t m_JobCode = kCode;
};

// The driver as the intake sees it: a register list and a job starter that records what it was given.
class RecordingHost : public driver::ITicketHost {
 public:
  CEcrContext* FindEcr(std::int32_t id) override {
    auto found = registers.find(id);
    return found == registers.end() ? nullptr : found->second.get();
  }
  bool IsServiceSuspended() const override { return suspended; }
  bool DescriptionCheck() const override { return false; }
  const platform::CTextEncoding& TicketEncoding() const override { return encoding; }
  JobStartResult StartTicketJob(CEcrContext& ecr, const driver::CDocumentJob& started) override {
    CTicketJob job{started, &ecr};
    if (startResult == JobStartResult::Started) {
      jobs.push_back(job);
      documents.push_back(ReadFile(job.m_DocumentPath));
      running.insert(job.m_DocumentPath);
    }
    return startResult;
  }
  bool IsTicketJobRunning(const std::string& documentPath) const override { return running.count(documentPath) > 0; }
  std::size_t TicketJobsRunning(std::int32_t ecrId) const override {
    return std::count_if(jobs.begin(), jobs.end(), [&](const CTicketJob& job) {
      return job.m_current->m_EcrId == ecrId && running.count(job.m_DocumentPath) > 0;
    });
  }
  void ScheduleTicketCheck(std::chrono::milliseconds delay) override { scheduled = delay; }
  // Flushed for real; done at once, or, with holdFlushes, when the test lets them.
  void FlushThen(platform::CFlushStep step, FlushDone done) override {
    pendingFlushes.push_back({std::move(step), std::move(done)});
    if (!holdFlushes) RunFlushes();
  }
  void RunFlushes() {
    if (runningFlushes) return;
    runningFlushes = true;
    while (!pendingFlushes.empty()) {
      auto [step, done] = std::move(pendingFlushes.front());
      pendingFlushes.pop_front();
      done(flushes.Flush(std::move(step)));
    }
    runningFlushes = false;
  }

  platform::CFlushGroup flushes{platform::CFlushGroup::Mode::kDurable};
  std::deque<std::pair<platform::CFlushStep, FlushDone>> pendingFlushes;
  bool holdFlushes = false;
  bool runningFlushes = false;
  std::map<int, std::unique_ptr<CEcrContext>> registers;
  bool suspended = false;
  platform::CTextEncoding encoding = platform::CTextEncoding::Utf8();
  JobStartResult startResult = JobStartResult::Started;
  std::vector<CTicketJob> jobs;
  std::vector<std::string> documents;
  std::set<std::string> running;  // documents of jobs not yet ended
  std::optional<std::chrono::milliseconds> scheduled;  // the writer check asked for
};

// The intake on a clock of the test's own: the writer checks it asks for are run by moving the clock on
// to each, so a wait of seconds takes no time, and real writers are still checked for real.
class TicketIntake : public ::testing::Test {
 protected:
  TicketIntake() : intake(host, base.Path() + "/", [this] { return now; }) {
    host.registers[3] = std::make_unique<CEcrContext>(3, 2);
    folder3 = base / "Tickets/3";
    std::filesystem::create_directories(folder3);
  }
  std::string Totals(const char* key) {
    return platform::GetPrivateProfileString("TICKETS", key, "none", 9, base / "Totals.txt");
  }
  // Runs the writer checks the intake asks for until it asks for none.
  void RunChecks() {
    for (int i = 0; i < 100000 && host.scheduled; ++i) {
      now += *host.scheduled;
      host.scheduled.reset();
      intake.CheckWaitingTickets();
    }
  }
  // A folder notification and everything the intake then does.
  void Scan(const std::string& folder) {
    intake.ProcessTicketFile(2, folder);
    RunChecks();
  }

  TempFolder base;
  RecordingHost host;
  std::chrono::steady_clock::time_point now{};
  CTicketIntake intake;
  std::string folder3;
};

TEST_F(TicketIntake, AcceptedTicketBecomesADocumentHandedToAJob) {
  WriteFile(folder3 + "/abc.txt", "0 1\n" + kSale + "\n" + kSale + "\r\n" + kClose + "\n");
  Scan(folder3);

  ASSERT_EQ(host.jobs.size(), 1u);
  const CTicketJob& job = host.jobs[0];
  EXPECT_EQ(job.m_DocumentPath, folder3 + "/abc_0000.xmm");
  EXPECT_EQ(job.m_ReplyWorkPath, folder3 + "/abc.mag");
  EXPECT_EQ(job.m_WarningPath, folder3 + "/abc.inf");
  EXPECT_EQ(job.m_ReplyPath, folder3 + "/abc.rep");
  EXPECT_EQ(job.m_current, host.registers[3].get());
  EXPECT_EQ(job.m_JobCode, 1234);
  const std::string& document = host.documents[0];
  EXPECT_EQ(std::count(document.begin(), document.end(), '\n'), 4);
  EXPECT_EQ(document.substr(0, document.find('\n')), "<OPEN_TICKET><INVOICE>1</INVOICE></OPEN_TICKET>");
  EXPECT_FALSE(FileExists(folder3 + "/abc.txt"));
  EXPECT_FALSE(FileExists(folder3 + "/abc_0000.mmm"));
  EXPECT_FALSE(FileExists(folder3 + "/abc.rep"));  // the job answers
  EXPECT_EQ(Totals("Found"), "1");
  EXPECT_EQ(Totals("Done"), "1");
}

TEST_F(TicketIntake, UnknownRegisterDeletesTheTicketAndAnswers7) {
  std::string folder9 = base / "Tickets/9";
  std::filesystem::create_directories(folder9);
  WriteFile(folder9 + "/t1.txt", kSale + "\n");
  WriteFile(folder9 + "/t1.inf", "stale");
  testsupport::LogCapture log;
  Scan(folder9);
  EXPECT_FALSE(FileExists(folder9 + "/t1.txt"));
  EXPECT_FALSE(FileExists(folder9 + "/t1.inf"));
  EXPECT_EQ(ReadFile(folder9 + "/t1.rep"), "7\n");
  EXPECT_TRUE(log.Contains("ProcessTicketFile: ECR is NOT on list"));
  EXPECT_EQ(Totals("Found"), "none");
}

TEST_F(TicketIntake, RejectedThirdRecordKeepsTheTicketAsErrAndAnswers22) {
  std::string ticket = "0 1\n" + kSale + "\n1 too short\n" + kClose + "\n";
  WriteFile(folder3 + "/bad.txt", ticket);
  testsupport::LogCapture log;
  Scan(folder3);
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_EQ(ReadFile(folder3 + "/bad.err"), ticket);
  EXPECT_EQ(ReadFile(folder3 + "/bad.rep"), "22\n");
  EXPECT_FALSE(FileExists(folder3 + "/bad.txt"));
  EXPECT_FALSE(FileExists(folder3 + "/bad_0000.xmm"));
  EXPECT_FALSE(FileExists(folder3 + "/bad_0000.mmm"));
  EXPECT_EQ(Totals("Found"), "1");
  EXPECT_EQ(Totals("Done"), "1");
  EXPECT_TRUE(log.Contains("ProcessTicketFile: QOR_E_FAILURE on parsing File [" + folder3 + "/bad.txt]"));
  EXPECT_FALSE(log.Contains("Parsing: UNKNOWN COMMAND!"));
}

// A second process that keeps the ticket open until told to let go, as a slow point-of-sale writer does.
class HoldingWriter {
 public:
  explicit HoldingWriter(const std::string& path) {
    int ready[2], release[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(release), 0);
    m_Child = ::fork();
    if (m_Child == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
      char byte = fd >= 0 ? '1' : '0';
      ssize_t ignored = ::write(ready[1], &byte, 1);
      (void)ignored;
      while (::read(release[0], &byte, 1) > 0) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    m_Release = release[1];
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, '1');
    ::close(ready[0]);
  }
  void LetGo() {
    if (m_Release < 0) return;
    ::close(m_Release);
    m_Release = -1;
    int status = 0;
    ::waitpid(m_Child, &status, 0);
  }
  ~HoldingWriter() { LetGo(); }

 private:
  pid_t m_Child = -1;
  int m_Release = -1;
};

TEST_F(TicketIntake, TicketHeldOpenByItsWriterIsLeftForTheNextScan) {
  std::string path = folder3 + "/slow.txt";
  WriteFile(path, kSale + "\n");
  HoldingWriter writer(path);
  testsupport::LogCapture log;
  const auto found = now;
  Scan(folder3);
  EXPECT_EQ(now - found, std::chrono::seconds(10)) << "given up at the first try 10 s after it was found";
  EXPECT_EQ(log.Count("CreateFile ERROR: File=[" + path + "], Error=[32]"), 1);
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(folder3 + "/slow.rep"));
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_EQ(Totals("Found"), "none");

  writer.LetGo();
  Scan(folder3);
  EXPECT_EQ(host.jobs.size(), 1u);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(TicketIntake, OurOwnSecondDescriptorAlsoCountsAsAWriter) {
  std::string path = folder3 + "/own.txt";
  WriteFile(path, kSale + "\n");
  int fd = ::open(path.c_str(), O_RDONLY);
  Scan(folder3);
  EXPECT_TRUE(host.jobs.empty());
  ::close(fd);
  Scan(folder3);
  EXPECT_EQ(host.jobs.size(), 1u);
}

TEST_F(TicketIntake, SuspendedServiceTranslatesThenAnswers11) {
  host.suspended = true;
  WriteFile(folder3 + "/s.txt", kSale + "\n");
  Scan(folder3);
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_EQ(ReadFile(folder3 + "/s.rep"), "11\n");
  EXPECT_FALSE(FileExists(folder3 + "/s.txt"));
  EXPECT_FALSE(FileExists(folder3 + "/s_0000.xmm"));
}

TEST_F(TicketIntake, JobThatCannotStartIsAnswered3) {
  for (JobStartResult failure : {JobStartResult::NoWorker, JobStartResult::NoThread}) {
    host.startResult = failure;
    WriteFile(folder3 + "/j.txt", kSale + "\n");
    testsupport::LogCapture log;
    Scan(folder3);
    EXPECT_EQ(ReadFile(folder3 + "/j.rep"), "3\n");
    EXPECT_TRUE(log.Contains(failure == JobStartResult::NoWorker ? "ProcessTicketFile: pThread == NULL"
                                                                  : "ProcessTicketFile: CreateThread failure"));
    EXPECT_TRUE(std::filesystem::is_empty(folder3) ||
                std::distance(std::filesystem::directory_iterator(folder3), {}) == 1);  // only j.rep
  }
}

TEST_F(TicketIntake, CapitalNamesGiveLowerCaseFilesAndNumbersWrapAfter9999) {
  WriteFile(folder3 + "/ABC.TXT", kSale + "\n");
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(host.jobs[0].m_DocumentPath, folder3 + "/abc_0000.xmm");
  EXPECT_EQ(host.jobs[0].m_ReplyPath, folder3 + "/abc.rep");
  EXPECT_FALSE(FileExists(folder3 + "/ABC.TXT"));

  intake.SetSequenceNumber(9999);
  WriteFile(folder3 + "/a.Txt", kSale + "\n");
  Scan(folder3);
  WriteFile(folder3 + "/b.txt", kSale + "\n");
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 3u);
  EXPECT_EQ(host.jobs[1].m_DocumentPath, folder3 + "/a_9999.xmm");
  EXPECT_EQ(host.jobs[2].m_DocumentPath, folder3 + "/b_0000.xmm");
}

TEST_F(TicketIntake, OnlyTheEndRecordGivesAnEmptyDocument) {
  WriteFile(folder3 + "/e.txt", "99\n1 ignored\n");
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(host.documents[0], "");
}

// Only regular files are tickets: a link named like one (to a ticket elsewhere or to a system file) and
// a FIFO are left alone, each logged once however often their folder changes.
TEST_F(TicketIntake, FoldersAndOtherFilesAreNoTickets) {
  std::filesystem::create_directories(folder3 + "/folder.txt");
  WriteFile(folder3 + "/note.text", "x");
  WriteFile(folder3 + "/t.mag", "x");
  WriteFile(base / "elsewhere.txt", kSale + "\n");
  std::filesystem::create_symlink(base / "elsewhere.txt", folder3 + "/link.txt");
  std::filesystem::create_symlink("/etc/passwd", folder3 + "/passwd.txt");
  ASSERT_EQ(::mkfifo((folder3 + "/fifo.txt").c_str(), 0644), 0);
  testsupport::LogCapture log;
  Scan(folder3);
  Scan(folder3);
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder3 + "/folder.txt"));
  EXPECT_EQ(Totals("Found"), "none");
  for (const char* name : {"/link.txt", "/passwd.txt", "/fifo.txt"}) {
    EXPECT_EQ(log.Count("ProcessTicketFile: [" + folder3 + name + "] is no regular file: left alone"), 1) << name;
    EXPECT_TRUE(std::filesystem::is_symlink(folder3 + name) || std::filesystem::is_fifo(folder3 + name)) << name;
  }
  EXPECT_EQ(ReadFile(base / "elsewhere.txt"), kSale + "\n");
  EXPECT_FALSE(FileExists(folder3 + "/passwd.err"));
  Scan(base / "no-such-folder");  // a listing that fails does nothing
}

// Each ticket is first opened 20 ms after it was found, and a ticket still held by its writer holds up
// no other: it is tried every 20 ms on its own, and a second scan meanwhile does not line it up twice.
TEST_F(TicketIntake, EachTicketWaitsItsOwn20MillisecondsAndAHeldOneDelaysNoOther) {
  using std::chrono::milliseconds;
  WriteFile(folder3 + "/a.txt", kSale + "\n");
  WriteFile(folder3 + "/b.txt", kSale + "\n");
  HoldingWriter writer(folder3 + "/a.txt");
  testsupport::LogCapture log;
  intake.ProcessTicketFile(2, folder3);
  ASSERT_EQ(host.scheduled, milliseconds(20));
  now += milliseconds(19);
  intake.CheckWaitingTickets();
  EXPECT_TRUE(host.jobs.empty()) << "no ticket is opened before its 20 ms";
  EXPECT_EQ(host.scheduled, milliseconds(1));
  now += milliseconds(1);
  intake.CheckWaitingTickets();
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(host.jobs[0].m_ReplyPath, folder3 + "/b.rep");
  EXPECT_EQ(host.scheduled, milliseconds(20)) << "the held ticket is tried again 20 ms later";

  intake.ProcessTicketFile(2, folder3);
  EXPECT_EQ(intake.WaitingCount(), 1u);
  writer.LetGo();
  RunChecks();
  ASSERT_EQ(host.jobs.size(), 2u);
  EXPECT_EQ(host.jobs[1].m_ReplyPath, folder3 + "/a.rep");
  EXPECT_EQ(log.Count("ProcessTicketFile for id 3"), 2);
  EXPECT_EQ(Totals("Found"), "2");
}

// A register's tickets are taken only a few jobs ahead of it: the rest wait in line, in their order,
// without a timer running for them, until one of its jobs ends.
TEST_F(TicketIntake, ARegisterBusyWithItsJobsTakesItsNextTicketWhenOneEnds) {
  for (int n = 0; n < 6; ++n) WriteFile(folder3 + "/t" + std::to_string(n) + ".txt", kSale + "\n");
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 4u);
  EXPECT_FALSE(host.scheduled) << "nothing to check while the register is busy";
  EXPECT_EQ(intake.WaitingCount(), 2u);
  host.running.erase(host.jobs[0].m_DocumentPath);
  intake.TicketJobEnded();
  RunChecks();
  ASSERT_EQ(host.jobs.size(), 5u);
  for (std::size_t n = 0; n < host.jobs.size(); ++n)
    EXPECT_EQ(host.jobs[n].m_ReplyPath, folder3 + "/t" + std::to_string(n) + ".rep");
}

// A rejected ticket whose ".err" name is taken stays where it is: answered 22 once, and not read again
// at every change of its folder (its own reply is one), only once it has changed.
TEST_F(TicketIntake, RejectedTicketThatCannotBecomeErrIsAnsweredOnceAndLeftAlone) {
  std::string ticket = "1 too short\n";
  WriteFile(folder3 + "/bad.txt", ticket);
  std::filesystem::create_directories(folder3 + "/bad.err");
  testsupport::LogCapture log;
  Scan(folder3);
  Scan(folder3);
  EXPECT_EQ(ReadFile(folder3 + "/bad.rep"), "22\n");
  EXPECT_EQ(ReadFile(folder3 + "/bad.txt"), ticket);
  EXPECT_EQ(Totals("Found"), "1");
  EXPECT_EQ(log.Count("ProcessTicketFile: QOR_E_FAILURE on parsing File [" + folder3 + "/bad.txt]"), 1);

  std::filesystem::remove(folder3 + "/bad.err");
  WriteFile(folder3 + "/bad.txt", "8\n");  // the till writes it anew
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(Totals("Found"), "2");
}

// "CASE.TXT" and "case.txt" share the reply "case.rep": the second is taken only once the first's job
// has ended and its reply has been collected.
TEST_F(TicketIntake, NamesDifferingOnlyInCaseTakeTurnsForTheirReply) {
  WriteFile(folder3 + "/CASE.TXT", kSale + "\n");
  WriteFile(folder3 + "/case.txt", kSale + "\n");
  testsupport::LogCapture log;
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_TRUE(log.Contains("ProcessTicketFile: [" + folder3 + "/case.txt] waits until the reply of [" + folder3 +
                           "/CASE.TXT] is collected"));
  Scan(folder3);
  EXPECT_EQ(host.jobs.size(), 1u) << "not while the first job runs";
  host.running.clear();
  WriteFile(folder3 + "/case.rep", "0\n");  // the first job's reply
  Scan(folder3);
  EXPECT_EQ(host.jobs.size(), 1u) << "not while the first reply waits for its till";
  std::filesystem::remove(folder3 + "/case.rep");
  Scan(folder3);
  ASSERT_EQ(host.jobs.size(), 2u);
  EXPECT_EQ(host.jobs[1].m_DocumentPath, folder3 + "/case_0001.xmm");
  EXPECT_FALSE(FileExists(folder3 + "/case.txt"));

  WriteFile(folder3 + "/case.txt", kSale + "\n");  // the same spelling again is not held back
  Scan(folder3);
  EXPECT_EQ(host.jobs.size(), 3u);
}

// A document that cannot be written (here its name is taken by a folder; a full disk alike) is never
// answered in its place: the ticket stays, is tried again a second later, and the register's later
// tickets wait behind it.
TEST_F(TicketIntake, TicketWhoseDocumentCannotBeWrittenStaysAndKeepsItsPlace) {
  WriteFile(folder3 + "/w.txt", kSale + "\n");
  WriteFile(folder3 + "/x.txt", kClose + "\n");
  std::filesystem::create_directories(folder3 + "/w_0000.mmm");  // blocks the work file's name
  testsupport::LogCapture log;
  intake.ProcessTicketFile(2, folder3);
  now += std::chrono::milliseconds(20);
  intake.CheckWaitingTickets();
  EXPECT_TRUE(host.jobs.empty()) << "the later ticket must not overtake the one that waits for room";
  EXPECT_TRUE(FileExists(folder3 + "/w.txt"));
  EXPECT_FALSE(FileExists(folder3 + "/w.rep"));
  EXPECT_TRUE(log.Contains("[ZEDO] ProcessTicketFile: [" + folder3 +
                           "/w.txt] stays: its command document cannot be written; tried again every 1 s"));
  EXPECT_EQ(Totals("Found"), "none");

  RunChecks();  // a second later: another number, which can be written
  ASSERT_EQ(host.jobs.size(), 2u);
  EXPECT_EQ(host.jobs[0].m_DocumentPath, folder3 + "/w_0001.xmm");
  EXPECT_EQ(host.jobs[1].m_DocumentPath, folder3 + "/x_0002.xmm");
  EXPECT_FALSE(FileExists(folder3 + "/w.txt"));
  EXPECT_EQ(Totals("Found"), "2");
}

}  // namespace

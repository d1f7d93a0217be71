#include "driver/tickets/ticket_intake.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "platform/profile.h"
#include "testsupport/log_capture.h"
#include "testsupport/temp_folder.h"

namespace {

using driver::CEcrContext;
using driver::CTicketIntake;
using driver::CTicketJob;
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

// The driver as the intake sees it: a register list and a job starter that records what it was given.
class RecordingHost : public driver::ITicketHost {
 public:
  CEcrContext* FindEcr(std::int32_t id) override {
    auto found = registers.find(id);
    return found == registers.end() ? nullptr : found->second.get();
  }
  bool IsServiceSuspended() const override { return suspended; }
  bool DescriptionCheck() const override { return false; }
  JobStartResult StartTicketJob(const CTicketJob& job) override {
    if (startResult == JobStartResult::Started) {
      jobs.push_back(job);
      documents.push_back(ReadFile(job.m_DocumentPath));
    }
    return startResult;
  }

  std::map<int, std::unique_ptr<CEcrContext>> registers;
  bool suspended = false;
  JobStartResult startResult = JobStartResult::Started;
  std::vector<CTicketJob> jobs;
  std::vector<std::string> documents;
};

class TicketIntake : public ::testing::Test {
 protected:
  TicketIntake() : intake(host, base.Path() + "/") {
    host.registers[3] = std::make_unique<CEcrContext>(3, 2);
    folder3 = base / "Tickets/3";
    std::filesystem::create_directories(folder3);
    intake.SetWriterWaitLimit(std::chrono::milliseconds(400));
  }
  std::string Totals(const char* key) {
    return platform::GetPrivateProfileString("TICKETS", key, "none", 9, base / "Totals.txt");
  }

  TempFolder base;
  RecordingHost host;
  CTicketIntake intake;
  std::string folder3;
};

TEST_F(TicketIntake, AcceptedTicketBecomesADocumentHandedToAJob) {
  WriteFile(folder3 + "/abc.txt", "0 1\n" + kSale + "\n" + kSale + "\r\n" + kClose + "\n");
  intake.ProcessTicketFile(2, folder3);

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
  intake.ProcessTicketFile(2, folder9);
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
  intake.ProcessTicketFile(2, folder3);
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
  intake.ProcessTicketFile(1, folder3);
  EXPECT_TRUE(log.Contains("CreateFile ERROR: File=[" + path + "], Error=[32]"));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(folder3 + "/slow.rep"));
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_EQ(Totals("Found"), "none");

  writer.LetGo();
  intake.ProcessTicketFile(1, folder3);
  EXPECT_EQ(host.jobs.size(), 1u);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(TicketIntake, OurOwnSecondDescriptorAlsoCountsAsAWriter) {
  std::string path = folder3 + "/own.txt";
  WriteFile(path, kSale + "\n");
  int fd = ::open(path.c_str(), O_RDONLY);
  intake.ProcessTicketFile(1, folder3);
  EXPECT_TRUE(host.jobs.empty());
  ::close(fd);
  intake.ProcessTicketFile(1, folder3);
  EXPECT_EQ(host.jobs.size(), 1u);
}

TEST_F(TicketIntake, SuspendedServiceTranslatesThenAnswers11) {
  host.suspended = true;
  WriteFile(folder3 + "/s.txt", kSale + "\n");
  intake.ProcessTicketFile(2, folder3);
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
    intake.ProcessTicketFile(2, folder3);
    EXPECT_EQ(ReadFile(folder3 + "/j.rep"), "3\n");
    EXPECT_TRUE(log.Contains(failure == JobStartResult::NoWorker ? "ProcessTicketFile: pThread == NULL"
                                                                  : "ProcessTicketFile: CreateThread failure"));
    EXPECT_TRUE(std::filesystem::is_empty(folder3) ||
                std::distance(std::filesystem::directory_iterator(folder3), {}) == 1);  // only j.rep
  }
}

TEST_F(TicketIntake, CapitalNamesGiveLowerCaseFilesAndNumbersWrapAfter9999) {
  WriteFile(folder3 + "/ABC.TXT", kSale + "\n");
  intake.ProcessTicketFile(2, folder3);
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(host.jobs[0].m_DocumentPath, folder3 + "/abc_0000.xmm");
  EXPECT_EQ(host.jobs[0].m_ReplyPath, folder3 + "/abc.rep");
  EXPECT_FALSE(FileExists(folder3 + "/ABC.TXT"));

  intake.SetSequenceNumber(9999);
  WriteFile(folder3 + "/a.Txt", kSale + "\n");
  intake.ProcessTicketFile(2, folder3);
  WriteFile(folder3 + "/b.txt", kSale + "\n");
  intake.ProcessTicketFile(2, folder3);
  ASSERT_EQ(host.jobs.size(), 3u);
  EXPECT_EQ(host.jobs[1].m_DocumentPath, folder3 + "/a_9999.xmm");
  EXPECT_EQ(host.jobs[2].m_DocumentPath, folder3 + "/b_0000.xmm");
}

TEST_F(TicketIntake, OnlyTheEndRecordGivesAnEmptyDocument) {
  WriteFile(folder3 + "/e.txt", "99\n1 ignored\n");
  intake.ProcessTicketFile(2, folder3);
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(host.documents[0], "");
}

TEST_F(TicketIntake, FoldersAndOtherFilesAreNoTickets) {
  std::filesystem::create_directories(folder3 + "/folder.txt");
  WriteFile(folder3 + "/note.text", "x");
  WriteFile(folder3 + "/t.mag", "x");
  intake.ProcessTicketFile(2, folder3);
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder3 + "/folder.txt"));
  EXPECT_EQ(Totals("Found"), "none");
  intake.ProcessTicketFile(2, base / "no-such-folder");  // a listing that fails does nothing
}

TEST_F(TicketIntake, WorkFileThatCannotBeCreatedAnswers3) {
  WriteFile(folder3 + "/w.txt", kSale + "\n");
  std::filesystem::create_directories(folder3 + "/w_0000.mmm");  // blocks the work file's name
  testsupport::LogCapture log;
  intake.ProcessTicketFile(2, folder3);
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_TRUE(log.Contains("No open for write"));
  EXPECT_EQ(ReadFile(folder3 + "/w.rep"), "3\n");
  EXPECT_FALSE(FileExists(folder3 + "/w.txt"));
  EXPECT_EQ(Totals("Found"), "1");
  EXPECT_EQ(Totals("Done"), "none");
}

}  // namespace

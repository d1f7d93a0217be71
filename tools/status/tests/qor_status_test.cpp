#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "driver/status/status_file.h"
#include "driver/status/status_json.h"
#include "driver/status/tests/status_sample.h"
#include "platform/folder_lock.h"
#include "testsupport/temp_folder.h"

namespace {

using namespace std::chrono_literals;
using testsupport::ReadFile;
using testsupport::TempFolder;

struct ToolRun {
  int m_Status;
  std::string m_Out;
  std::string m_Err;
};

// qor-status run in the base directory, with a store that registers no control.
ToolRun RunStatus(const TempFolder& base, const TempFolder& scratch, const std::string& arguments) {
  std::string command = "cd " + base.Path() + " && QOR_REGISTRY=" + (scratch / "registry") + " " + QOR_STATUS_PROGRAM +
                        " " + arguments + " >" + (scratch / "out") + " 2>" + (scratch / "err");
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(scratch / "out"), ReadFile(scratch / "err")};
}

std::string FirstRegisterLine(const std::string& out) {
  size_t start = out.find('\n') + 1;
  return out.substr(start, out.find('\n', start) - start);
}

enum class StatusFile { kNone, kAllReady, kPaperOut, kLongTicket, kFormatTwo };

void Write(StatusFile kind, const std::string& path) {
  auto now = std::chrono::system_clock::now();
  driver::CDriverStatus status = testsupport::SampleStatus(now);
  status.m_Registers[1].m_State = driver::RegisterState::kReady;
  status.m_Registers[1].m_Ticket.clear();
  if (kind == StatusFile::kPaperOut) status.m_Registers[1].m_State = driver::RegisterState::kPaperOut;
  if (kind == StatusFile::kLongTicket) {
    status.m_Registers[1].m_State = driver::RegisterState::kRunning;
    status.m_Registers[1].m_Ticket = "table-7.txt";
    status.m_Registers[1].m_TicketSince = driver::StatusTime(now - 125s);
  }
  QByteArray text = kind == StatusFile::kFormatTwo ? QByteArray(R"({"format": 2, "registers": []})")
                                                    : driver::StatusJson(status);
  std::string error;
  if (kind == StatusFile::kNone) return;
  ASSERT_TRUE(driver::WriteStatusFile(path, text, error)) << error;
}

// The exit status tells a script whether a driver runs and whether a register needs a person; the text
// tells the person which one and why.
TEST(QorStatus, ExitStatusAndReportFollowTheLockAndTheStatusFile) {
  struct Case {
    const char* m_Name;
    bool m_DriverRuns;  // the test holds the driver's lock on the base directory
    StatusFile m_File;
    std::string m_Arguments;
    int m_Exit;
    std::string m_Out;  // the start of the output
    std::string m_FirstRegister;
    std::string m_Err;
  };
  const Case cases[] = {
      {"never ran", false, StatusFile::kNone, "", 2, "", "", "QorDriver is not running on BASE (no status file there)"},
      {"ended", false, StatusFile::kAllReady, "--base BASE", 2, "", "",
       "QorDriver is not running on BASE (last status written 20"},
      {"all ready", true, StatusFile::kAllReady, "", 0,
       "2 registers: 2 ready; 1,204 tickets today (QorDriver 1.0.1 on BASE, process 4242, started ",
       "ECR 1 (type 1): ready", ""},
      {"paper out", true, StatusFile::kPaperOut, "--base BASE/", 1, "2 registers: 1 ready, 1 paper out;",
       "ECR 2 (type 2): paper out; 2 waiting; 1 today; trouble at ", ""},
      {"ticket over a minute", true, StatusFile::kLongTicket, "", 1, "2 registers: 1 ready, 1 running;",
       "ECR 2 (type 2): running; ticket table-7.txt under way for 2 min ", ""},
      {"unknown format", true, StatusFile::kFormatTwo, "", 3, "", "",
       "The status file of QorDriver on BASE cannot be read: format 2 is unknown"},
      {"bad usage", true, StatusFile::kAllReady, "--verbose", 3, "", "", "qor-status: unexpected --verbose"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.m_Name);
    TempFolder base, scratch;
    auto named = [&base](std::string text) {
      for (size_t at; (at = text.find("BASE")) != std::string::npos;) text.replace(at, 4, base.Path());
      return text;
    };
    Write(test.m_File, base / driver::kStatusFileName);
    platform::FolderLock driverLock;
    if (test.m_DriverRuns) {
      ASSERT_EQ(driverLock.Lock(base.Path()), platform::FolderLockResult::Locked);
    }
    ToolRun run = RunStatus(base, scratch, named(test.m_Arguments));
    EXPECT_EQ(run.m_Status, test.m_Exit) << run.m_Out << run.m_Err;
    EXPECT_EQ(run.m_Out.substr(0, named(test.m_Out).size()), named(test.m_Out));
    EXPECT_EQ(FirstRegisterLine(run.m_Out).substr(0, test.m_FirstRegister.size()), test.m_FirstRegister);
    EXPECT_EQ(run.m_Err.substr(0, named(test.m_Err).size()), named(test.m_Err));
    if (test.m_File == StatusFile::kPaperOut) {
      EXPECT_NE(run.m_Out.find(": paper out, change the roll\n"), std::string::npos) << run.m_Out;
    }
  }
}

TEST(QorStatus, JsonPrintsTheFileUnchanged) {
  TempFolder base, scratch;
  Write(StatusFile::kPaperOut, base / driver::kStatusFileName);
  platform::FolderLock driverLock;
  ASSERT_EQ(driverLock.Lock(base.Path()), platform::FolderLockResult::Locked);
  ToolRun run = RunStatus(base, scratch, "--json");
  EXPECT_EQ(run.m_Status, 1);
  EXPECT_EQ(run.m_Out, ReadFile(base / driver::kStatusFileName));
  EXPECT_EQ(run.m_Err, "");
}

}  // namespace

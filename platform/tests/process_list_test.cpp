#include "platform/process_list.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "platform/tests/competing_process.h"
#include "testsupport/log_capture.h"
#include "testsupport/temp_folder.h"

namespace {

using platformtest::CompetingProcess;
using platformtest::TermHandling;
using testsupport::LogCapture;
using testsupport::TempFolder;

// Held for the whole test program: see CompetingProgramsLock.
class CompetingProgramsEnvironment final : public testing::Environment {
  void SetUp() override { m_Lock = std::make_unique<platformtest::CompetingProgramsLock>(); }
  void TearDown() override { m_Lock.reset(); }
  std::unique_ptr<platformtest::CompetingProgramsLock> m_Lock;
};
testing::Environment* const kCompetingProgramsEnvironment =
    testing::AddGlobalTestEnvironment(new CompetingProgramsEnvironment);

constexpr const char* kEntry = "[ZEDO] TerminatePendingApplication ENTRY!";
constexpr const char* kExit = "[ZEDO] TerminatePendingApplication EXIT!";

// A name no other program on the machine carries.
std::string UniqueName(const char* stem) { return std::string(stem) + "-" + std::to_string(::getpid()) + ".exe"; }

TEST(TerminatePendingApplication, NoMatchEndsNothingAndLogsOnlyEntryAndExit) {
  LogCapture log;
  EXPECT_EQ(platform::TerminatePendingApplication(UniqueName("QorNoSuchServer")), 0);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{kEntry, kExit}));
}

TEST(TerminatePendingApplication, EndsThePoliteInstanceAndKillsTheOneIgnoringTheRequest) {
  TempFolder polite;
  TempFolder stubborn;
  CompetingProcess first(polite.Path(), "QorServer.exe", TermHandling::EndsOnTerm);
  CompetingProcess second(stubborn.Path(), "QorServer.exe", TermHandling::IgnoresTerm);
  ASSERT_TRUE(first.Started() && second.Started());
  LogCapture log;

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(platform::TerminatePendingApplication("QorServer.exe"), 2);
  const auto took = std::chrono::steady_clock::now() - start;

  EXPECT_EQ(first.WaitForEndSignal(), SIGTERM);
  EXPECT_EQ(second.WaitForEndSignal(), SIGKILL);
  // The stubborn one is killed only after its grace period ran out.
  EXPECT_GE(took, platform::kTerminateGracePeriod);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             kEntry,
                             "[ZEDO] TerminatePendingApplication KILLED PROCESS [QorServer.exe] NUM. [1]",
                             "[ZEDO] TerminatePendingApplication KILLED PROCESS [QorServer.exe] NUM. [2]",
                             kExit,
                         }));
}

struct NameCase {
  const char* label;
  std::string executable;
  std::string argumentZero;
  std::string searched;
  int ended;
};

class TerminateByName : public testing::TestWithParam<NameCase> {};

TEST_P(TerminateByName, MatchesTheExecutableOrFirstArgumentIgnoringCase) {
  const NameCase& c = GetParam();
  TempFolder folder;
  CompetingProcess process(folder.Path(), c.executable, TermHandling::EndsOnTerm, c.argumentZero);
  ASSERT_TRUE(process.Started());
  EXPECT_EQ(platform::TerminatePendingApplication(c.searched), c.ended);
  if (c.ended == 1) {
    EXPECT_EQ(process.WaitForEndSignal(), SIGTERM);
  } else {
    EXPECT_TRUE(process.IsRunning());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, TerminateByName,
    testing::Values(
        NameCase{"LetterCaseDiffers", "qorSERVER.EXE", "", "QorServer.exe", 1},
        // A program started through a compatibility layer shows its Windows path as argv[0].
        NameCase{"WindowsPathInFirstArgument", UniqueName("loader"), "C:\\Program Files\\Qor\\QORSERVER.exe",
                 "QorServer.exe", 1},
        NameCase{"UnixPathInFirstArgument", UniqueName("loader"), "/opt/qor/QorServer.exe", "QorServer.exe", 1},
        NameCase{"LongerName", "QorServer.exe.bak", "", "QorServer.exe", 0},
        NameCase{"PrefixOnly", "QorServer", "", "QorServer.exe", 0}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

TEST(TerminatePendingApplication, ZombieIsNotCounted) {
  TempFolder folder;
  CompetingProcess process(folder.Path(), "QorServer.exe", TermHandling::EndsOnTerm);
  ASSERT_TRUE(process.Started());
  ::kill(process.Pid(), SIGKILL);  // not reaped: it stays a zombie
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (process.IsRunning() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_FALSE(process.IsRunning());
  EXPECT_EQ(platform::TerminatePendingApplication("QorServer.exe"), 0);
  EXPECT_EQ(process.WaitForEndSignal(), SIGKILL);
}

// A process that may not be signalled ends the search: the instance after it is left alone.
TEST(TerminatePendingApplication, ProcessThatCannotBeSignalledStopsTheSearch) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs a second user id";
  constexpr int kNobody = 65534;
  TempFolder folder;
  TempFolder other;
  CompetingProcess privileged(folder.Path(), "QorServer.exe", TermHandling::EndsOnTerm);
  CompetingProcess unprivileged(other.Path(), "QorServer.exe", TermHandling::EndsOnTerm, "", kNobody);
  ASSERT_TRUE(privileged.Started() && unprivileged.Started());
  ASSERT_LT(privileged.Pid(), unprivileged.Pid()) << "the scan goes in pid order";

  pid_t searcher = ::fork();
  if (searcher == 0) {
    if (::setuid(kNobody) != 0) ::_exit(100);
    ::_exit(platform::TerminatePendingApplication("QorServer.exe"));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(searcher, &status, 0), searcher);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(privileged.IsRunning());
  EXPECT_TRUE(unprivileged.IsRunning());
}

TEST(PriorityClass, NormalProcessReadsAsNormalAndARaiseReadsAsHigh) {
  int priorityClass = 0;
  ASSERT_EQ(platform::ReadPriorityClass(priorityClass), 0);
  if (::getpriority(PRIO_PROCESS, 0) == 0) {
    EXPECT_EQ(priorityClass, platform::kNormalPriorityClass);
  }

  // Raised in a child, so this test program keeps its priority.
  pid_t child = ::fork();
  if (child == 0) {
    bool raised = platform::RaisePriorityHigh();
    int after = 0;
    platform::ReadPriorityClass(after);
    ::_exit(raised ? (after == platform::kHighPriorityClass ? 1 : 3) : (after != platform::kHighPriorityClass ? 2 : 3));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 3) << "the class read back does not match the raise's result";
  if (::geteuid() == 0) {
    EXPECT_EQ(WEXITSTATUS(status), 1);
  }
}

}  // namespace

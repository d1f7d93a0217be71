// Start-up of the driver in a temporary base directory: registers, ticket folders, settings, the
// competing program, a control that does not open.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "driver/messages.h"
#include "driver/tests/driver_fixture.h"
#include "platform/folder_lock.h"
#include "platform/named_mutex.h"
#include "platform/process_list.h"
#include "platform/tests/competing_process.h"

namespace {

using drivertest::DriverFixture;
using drivertest::Message;
using drivertest::ScriptedControl;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

bool IsFolder(const std::string& path) { return std::filesystem::is_directory(path); }

// Taken by another thread without waiting: the mutex is free.
bool FreeForOtherThreads(const std::shared_ptr<platform::NamedMutex>& mutex) {
  bool taken = false;
  std::thread([&] {
    taken = mutex->Wait(std::chrono::milliseconds(0)) == platform::kWaitObject0;
    if (taken) mutex->Release();
  }).join();
  return taken;
}

class DriverStartup : public testing::Test, public DriverFixture {
 protected:
  void SetUp() override { WriteFile(Base() + "QorDriver.ini", "[OCXManager]\r\nSingleClient=0\r\n"); }
};

TEST_F(DriverStartup, BuildsTheRegistersOfTheEmulatorWithTheirFoldersAndMutexes) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n3=1\r\n7=0\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();

  ASSERT_EQ(driver.Registers().size(), 2u);
  EXPECT_EQ(driver.Registers()[0]->m_EcrId, 3);
  EXPECT_EQ(driver.Registers()[0]->m_EcrType, 1);
  EXPECT_EQ(driver.Registers()[1]->m_EcrId, 7);
  EXPECT_EQ(driver.TicketRoot(), Base() + "Tickets");
  for (int id : {3, 7}) {
    driver::CEcrContext* ecr = driver.FindEcr(id);
    ASSERT_NE(ecr, nullptr);
    EXPECT_EQ(ecr->TicketFolder(), Base() + "Tickets/" + std::to_string(id));
    EXPECT_TRUE(IsFolder(ecr->TicketFolder()));
    EXPECT_EQ(ecr->JobMutex()->Name(), "FF9DDFC0-6374-43AC-930F-6C452D21F44EAS" + std::to_string(id));
    EXPECT_EQ(ecr->StopMutex()->Name(), "6C452D21-6374-43AC-930F-FF9DDFC0F44EAS" + std::to_string(id));
    EXPECT_TRUE(FreeForOtherThreads(ecr->JobMutex()));
    EXPECT_FALSE(FreeForOtherThreads(ecr->StopMutex())) << "the window thread owns the stop mutex";
  }
  EXPECT_EQ(driver.FindEcr(4), nullptr);
  EXPECT_EQ(driver.SelectedRegister(), 0);
  EXPECT_TRUE(m_Log.Contains("DEFAULT Ticket Folder: [" + Base() + "Tickets]"));
  // No folder monitor yet: the driver says so and runs on.
  EXPECT_EQ(m_MessageBox.m_Texts, std::vector<std::string>{Message(15)});
  EXPECT_EQ(m_Store.GetValue(driver::kLanguageKey, "Language"), "English");
}

// Another driver holds the base directory: this one shows message 97 after reading its catalogue and
// goes no further. The control is never opened, no folder is made, no setting is read.
TEST_F(DriverStartup, ASecondDriverOnTheBaseDirectoryRefusesToStartAndTouchesNothing) {
  platform::FolderLock firstDriver;
  ASSERT_EQ(firstDriver.Lock(Base()), platform::FolderLockResult::Locked);
  driver::CQorDriverDlg& driver = StartOn(m_Scripted);
  EXPECT_TRUE(driver.StartRefused());
  EXPECT_EQ(m_MessageBox.m_Texts, std::vector<std::string>{Message(97)});
  EXPECT_TRUE(m_Scripted.m_Calls.empty());
  EXPECT_FALSE(IsFolder(Base() + "Tickets"));
  EXPECT_TRUE(m_Log.Contains("[ZEDO] Another QorDriver runs on the base directory [" + Base() + "]: not starting"));
}

struct ListCase {
  const char* label;
  std::string list;
  std::vector<std::pair<int, int>> registers;  // number, type
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.list; }

class RegisterListAtStartup : public DriverStartup, public testing::WithParamInterface<ListCase> {};

// The display widths are read for the zero family (types 1 and 2) only.
TEST_P(RegisterListAtStartup, TakesTheRegistersAsTheControlListsThem) {
  WriteFile(Base() + "QorDriver.ini",
            "[OCXManager]\r\nSingleClient=0\r\n[ZELCustomerDisplayDigits]\r\nECR1=16\r\nECR2=16\r\nECR3=16\r\n"
            "[ZELOperatorDisplayDigits]\r\nECR1=12\r\nECR2=12\r\nECR3=12\r\n");
  ScriptedControl& control = m_Scripted;
  control.m_RegisterList = GetParam().list;
  driver::CQorDriverDlg& driver = StartOn(control);

  std::vector<std::pair<int, int>> found;
  for (const auto& ecr : driver.Registers()) {
    found.emplace_back(ecr->m_EcrId, ecr->m_EcrType);
    const bool zeroFamily = ecr->m_EcrType == 1 || ecr->m_EcrType == 2;
    EXPECT_EQ(ecr->DisplayDigits().m_CustomerDigits, zeroFamily ? 16 : 20) << "register " << ecr->m_EcrId;
    EXPECT_EQ(ecr->DisplayDigits().m_OperatorDigits, zeroFamily ? 12 : 20) << "register " << ecr->m_EcrId;
    EXPECT_TRUE(IsFolder(Base() + "Tickets/" + std::to_string(ecr->m_EcrId)));
  }
  EXPECT_EQ(found, GetParam().registers);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RegisterListAtStartup,
    testing::Values(
        ListCase{"LeadingCharacter", "x<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>0</TYPE>", {{1, 1}, {2, 0}}},
        ListCase{"NoLeadingCharacter", "<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>0</TYPE>", {{2, 0}}},
        ListCase{"MissingType", "x<IDECR>3</IDECR><TYPE>2</TYPE><IDECR>1</IDECR>", {{3, 2}}},
        ListCase{"MissingClosingId", "x<IDECR>2</IDECR><TYPE>3</TYPE><IDECR>1<TYPE>1</TYPE>", {{2, 3}}},
        ListCase{"MissingClosingType", "x<IDECR>2</IDECR><TYPE>2</TYPE><IDECR>1</IDECR><TYPE>1", {{2, 2}}},
        ListCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<ListCase>& info) { return std::string(info.param.label); });

struct RootCase {
  const char* label;
  std::function<std::string(const std::string& base)> config;  // Qor.cfg text, or "" for no file
  std::function<std::string(const std::string& base)> root;
  std::function<std::string(const std::string& base)> note;
};

void PrintTo(const RootCase& c, std::ostream* out) { *out << c.label; }

class TicketRootAtStartup : public DriverStartup, public testing::WithParamInterface<RootCase> {};

TEST_P(TicketRootAtStartup, FallsBackToTheDefaultUnlessTheCustomFolderExists) {
  std::filesystem::create_directory(Base() + "custom");
  const std::string config = GetParam().config(Base());
  if (!config.empty()) WriteFile(Base() + "Qor.cfg", config);
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n2=2\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();

  const std::string root = GetParam().root(Base());
  EXPECT_EQ(driver.TicketRoot(), root);
  EXPECT_EQ(driver.FindEcr(2)->TicketFolder(), root + "/2");
  EXPECT_TRUE(IsFolder(root + "/2"));
  EXPECT_TRUE(m_Log.Contains(GetParam().note(Base())));
}

std::string Default(const std::string& base) { return base + "Tickets"; }

INSTANTIATE_TEST_SUITE_P(
    Roots, TicketRootAtStartup,
    testing::Values(
        RootCase{"NoConfig", [](const std::string&) { return std::string(); }, Default,
                 [](const std::string& b) { return "DEFAULT Ticket Folder: [" + Default(b) + "]"; }},
        RootCase{"CustomFolder", [](const std::string& b) { return "[FOLDERS]\nTicketFolder=" + b + "custom\n"; },
                 [](const std::string& b) { return b + "custom"; },
                 [](const std::string& b) { return "CUSTOM Ticket Folder: [" + b + "custom]"; }},
        RootCase{"CustomFolderMissing",
                 [](const std::string& b) { return "[FOLDERS]\nTicketFolder=" + b + "missing\n"; }, Default,
                 [](const std::string& b) {
                   return "CUSTOM Ticket Folder ERROR: invalid or not exist!, use DEFAULT: [" + Default(b) + "]";
                 }},
        RootCase{"CustomFolderIsAFile",
                 [](const std::string& b) { return "[FOLDERS]\nTicketFolder=" + b + "Qor.cfg\n"; }, Default,
                 [](const std::string& b) {
                   return "CUSTOM Ticket Folder ERROR: invalid or not exist!, use DEFAULT: [" + Default(b) + "]";
                 }},
        RootCase{"EmptyValue", [](const std::string&) { return std::string("[FOLDERS]\nTicketFolder=\n"); }, Default,
                 [](const std::string& b) { return "DEFAULT Ticket Folder: [" + Default(b) + "]"; }},
        RootCase{"OtherSection",
                 [](const std::string& b) { return "[folders]\nTicketFolder=" + b + "custom\n"; }, Default,
                 [](const std::string& b) { return "DEFAULT Ticket Folder: [" + Default(b) + "]"; }}),
    [](const testing::TestParamInfo<RootCase>& info) { return std::string(info.param.label); });

TEST_F(DriverStartup, SettingsReachTheJobsAsTheirFirstCharacterSays) {
  WriteFile(Base() + "QorDriver.ini",
            "[TillJob]\r\nOnErrorContinue=yes\r\nOnErrorVoidTicket=10\r\nDisplayLastTotal=1\r\nDescriptionCheck=0\r\n"
            "[OCXManager]\r\nSingleClient=0\r\n");
  ScriptedControl& control = m_Scripted;
  driver::CQorDriverDlg& driver = StartOn(control);
  EXPECT_FALSE(driver.Jobs().Options().m_OnErrorContinue);
  EXPECT_TRUE(driver.Jobs().Options().m_OnErrorVoidTicket);
  EXPECT_TRUE(driver.Jobs().Options().m_DisplayLastTotal);
  EXPECT_FALSE(driver.DescriptionCheck());
  int priorityClass = 0;
  ASSERT_EQ(platform::ReadPriorityClass(priorityClass), 0);
  EXPECT_TRUE(m_Log.Contains("[ZEDO] GetPriorityClass = [" + std::to_string(priorityClass) + "]"));
  EXPECT_FALSE(m_Log.Contains("[ZEDO] SetPriorityClass(HIGH_PRIORITY_CLASS) = [1]"));
}

// With "SetPriorityHigh" on, the raise is logged with its outcome and the class read again.
TEST_F(DriverStartup, PriorityIsRaisedWhenAskedAndReadAgain) {
  WriteFile(Base() + "QorDriver.ini", "[TillJob]\r\nSetPriorityHigh=1\r\n[OCXManager]\r\nSingleClient=0\r\n");
  const int niceBefore = ::getpriority(PRIO_PROCESS, 0);
  StartOn(m_Scripted);
  const bool raised = ::getpriority(PRIO_PROCESS, 0) < 0;
  ::setpriority(PRIO_PROCESS, 0, niceBefore);  // the next tests of this program run as before
  std::vector<std::string> lines;
  for (const std::string& line : m_Log.Lines())
    if (line.find("PriorityClass") != std::string::npos) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], raised ? "[ZEDO] SetPriorityClass(HIGH_PRIORITY_CLASS) = [1]"
                             : "[ZEDO] SetPriorityClass(HIGH_PRIORITY_CLASS) = [0]");
  if (raised) {
    EXPECT_EQ(lines[2], "[ZEDO] GetPriorityClass = [128]");
  }
  if (::geteuid() == 0) {
    EXPECT_TRUE(raised) << "root may always raise its priority";
  }
}

// A control that does not open: message "4", the start-up still finishes, then the window closes.
TEST_F(DriverStartup, FailingOpenShowsMessageFourAndClosesAfterStartup) {
  ScriptedControl& control = m_Scripted;
  control.m_OpenResult = 5;
  control.m_RegisterList = "x<IDECR>1</IDECR><TYPE>1</TYPE>";
  driver::CQorDriverDlg& driver = StartOn(control);

  EXPECT_EQ(control.m_Calls, (std::vector<std::string>{"Property 3=1", "Property 5=1", "Property 4=1", "Property 9=1",
                                                       "Property 26=1", "Property 27=1", "Open []", "Request 123 6"}));
  EXPECT_EQ(m_MessageBox.m_Texts, (std::vector<std::string>{Message(4), Message(15)}));
  EXPECT_EQ(driver.Registers().size(), 1u);
  EXPECT_TRUE(IsFolder(Base() + "Tickets/1"));
  EXPECT_FALSE(driver.IsClosed()) << "the close is posted, not run during start-up";
  ASSERT_TRUE(WaitFor([&] { return m_ClosedSignals > 0; }));
  EXPECT_EQ(control.m_Calls.back(), "Close");
  EXPECT_TRUE(driver.Registers().empty());
}

struct SingleClientCase {
  const char* label;
  const char* iniText;
  bool ended;
};

class SingleClientAtStartup : public DriverStartup, public testing::WithParamInterface<SingleClientCase> {};

TEST_P(SingleClientAtStartup, EndsTheCompetingProgramOnlyWhenOn) {
  testsupport::TempFolder programs;
  platformtest::CompetingProcess server(programs.Path(), "QorServer.exe", platformtest::TermHandling::EndsOnTerm);
  ASSERT_TRUE(server.Started());
  WriteFile(Base() + "QorDriver.ini", GetParam().iniText);
  ScriptedControl& control = m_Scripted;
  StartOn(control);
  if (GetParam().ended) {
    EXPECT_EQ(server.WaitForEndSignal(), SIGTERM);
    EXPECT_TRUE(m_Log.Contains("[ZEDO] TerminatePendingApplication APP=[QorServer], KILLED=[1]"));
  } else {
    EXPECT_TRUE(server.IsRunning());
    EXPECT_FALSE(m_Log.Contains("[ZEDO] TerminatePendingApplication ENTRY!"));
  }
}

INSTANTIATE_TEST_SUITE_P(Values, SingleClientAtStartup,
                         testing::Values(SingleClientCase{"Off", "[OCXManager]\r\nSingleClient=0\r\n", false},
                                         SingleClientCase{"OnByDefault", "", true},
                                         SingleClientCase{"OnAsTen", "[OCXManager]\r\nSingleClient=10\r\n", true}),
                         [](const testing::TestParamInfo<SingleClientCase>& info) {
                           return std::string(info.param.label);
                         });

}  // namespace

// The driver at work and at its end: tickets through WM_TICKETFILE, folder changes, the shutdown order,
// jobs that are still waiting or running when the driver closes.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <QCoreApplication>

#include "driver/ecr/worker_thread.h"
#include "driver/tests/driver_fixture.h"
#include "driver/ticket_folders.h"
#include "emulator/emulator_control.h"
#include "platform/folder_lock.h"
#include "platform/named_mutex.h"

namespace {

using drivertest::DriverFixture;
using drivertest::Message;
using drivertest::ScriptedControl;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

class DriverAtWork : public testing::Test, public DriverFixture {
 protected:
  void SetUp() override { WriteFile(Base() + "QorDriver.ini", "[OCXManager]\r\nSingleClient=0\r\n"); }

  // A ticket dropped into a register's folder and announced as the folder monitor would.
  void DropTicket(driver::CQorDriverDlg& driver, int ecr, const std::string& name, const std::string& text) {
    const std::string folder = Base() + "Tickets/" + std::to_string(ecr);
    std::filesystem::create_directories(folder);
    WriteFile(folder + "/" + name, text);
    driver.PostTicketFile(1, folder);
  }
  std::string TicketFile(int ecr, const std::string& name) const {
    return Base() + "Tickets/" + std::to_string(ecr) + "/" + name;
  }
  static std::string SampleTicket(const char* name) { return ReadFile(std::string(QOR_SAMPLES_DIR) + "/" + name); }
};

struct CloseCase {
  const char* label;
  driver::ControlStatus closeResult;
  std::vector<std::string> messages;
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.label; }

class DriverShutdown : public DriverAtWork, public testing::WithParamInterface<CloseCase> {};

TEST_P(DriverShutdown, ReleasesTheStopMutexesBeforeTheControlClosesAndRunsOnce) {
  ScriptedControl& control = m_Scripted;
  control.m_RegisterList = "x<IDECR>41</IDECR><TYPE>1</TYPE><IDECR>42</IDECR><TYPE>0</TYPE>";
  control.m_CloseResult = GetParam().closeResult;
  control.m_StopMutexesAtClose = {"6C452D21-6374-43AC-930F-FF9DDFC0F44EAS41", "6C452D21-6374-43AC-930F-FF9DDFC0F44EAS42"};
  driver::CQorDriverDlg& driver = StartOn(control);
  ASSERT_EQ(driver.Registers().size(), 2u);

  ASSERT_TRUE(Close());
  EXPECT_EQ(control.m_StopMutexFreeAtClose, (std::vector<bool>{true, true}));
  EXPECT_EQ(m_MessageBox.m_Texts, GetParam().messages);
  EXPECT_TRUE(driver.Registers().empty());
  EXPECT_FALSE(driver.JobsAbandoned());

  // A second close finds the window gone.
  driver.PostClose();
  driver.PostTicketFile(1, Base() + "Tickets/41");
  QCoreApplication::processEvents();
  EXPECT_EQ(std::count(control.m_Calls.begin(), control.m_Calls.end(), "Close"), 1);
  EXPECT_EQ(m_ClosedSignals, 1);
}

INSTANTIATE_TEST_SUITE_P(CloseResults, DriverShutdown,
                         testing::Values(CloseCase{"Closed", 0, {Message(15)}},
                                         CloseCase{"CloseFails", 3, {Message(15), Message(5)}}),
                         [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.label); });

TEST_F(DriverAtWork, TicketForARegisterNotOnTheListIsAnsweredSeven) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n1=1\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  DropTicket(driver, 9, "Sale.TXT", SampleTicket("sale.txt"));
  ASSERT_TRUE(WaitFor([&] { return FileExists(TicketFile(9, "sale.rep")); }));
  EXPECT_EQ(ReadFile(TicketFile(9, "sale.rep")).substr(0, 1), "7");
  EXPECT_FALSE(FileExists(TicketFile(9, "Sale.TXT")));
}

// The whole road inside the driver: WM_TICKETFILE, the intake, a job thread on the emulated register,
// its reply, and WM_JOBTHREADEND taking the thread off the list.
TEST_F(DriverAtWork, TicketRunsToItsReplyAndTheJobLeavesTheList) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n1=1\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  DropTicket(driver, 1, "sale.txt", SampleTicket("sale.txt"));
  ASSERT_TRUE(WaitFor([&] { return FileExists(TicketFile(1, "sale.rep")); }));
  EXPECT_EQ(ReadFile(TicketFile(1, "sale.rep")), "0\n");
  EXPECT_TRUE(WaitFor([&] { return driver.JobThreadCount() == 0; }));
  EXPECT_TRUE(m_Log.Contains("ProcessTicketFile for id 1"));
}

// A job that waits for its register when the driver closes leaves through the stop mutex: no reply.
TEST_F(DriverAtWork, JobWaitingForItsRegisterLeavesAtShutdownWithoutReply) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n43=1\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  std::shared_ptr<platform::NamedMutex> jobMutex = driver.FindEcr(43)->JobMutex();
  ASSERT_EQ(jobMutex->Wait(std::chrono::milliseconds(0)), platform::kWaitObject0);  // the register is busy

  DropTicket(driver, 43, "sale.txt", SampleTicket("sale.txt"));
  ASSERT_TRUE(WaitFor([&] { return driver.JobThreadCount() == 1 && !FileExists(TicketFile(43, "sale.txt")); }));
  ASSERT_TRUE(Close());
  EXPECT_FALSE(driver.JobsAbandoned());
  EXPECT_EQ(driver::CWorkerThread::LiveCount(), 0);
  EXPECT_TRUE(m_Log.Contains("CQorThread::WAIT_OBJECT_0+1"));
  EXPECT_FALSE(FileExists(TicketFile(43, "sale.rep")));
  jobMutex->Release();
}

// A job still running when the driver closes (its register does not answer) is given its time to finish
// the element under way, then cancelled; it has ended, without a reply, by the time the shutdown is
// over, and its document stays for the next start.
TEST_F(DriverAtWork, RunningJobIsCancelledAtShutdown) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n44=1\r\n[ECR44]\r\nNoAnswer=1\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  driver.SetStopJobWait(std::chrono::milliseconds(300));
  DropTicket(driver, 44, "sale.txt", SampleTicket("sale.txt"));
  ASSERT_TRUE(WaitFor([&] {
    auto calls = m_Emulator->CallLog();
    return std::any_of(calls.begin(), calls.end(), [](const std::string& call) { return call.rfind("BeginJob 44", 0) == 0; });
  }));
  ASSERT_TRUE(Close());
  EXPECT_FALSE(driver.JobsAbandoned());
  EXPECT_EQ(driver::CWorkerThread::LiveCount(), 0);
  EXPECT_FALSE(FileExists(TicketFile(44, "sale.rep")));
  EXPECT_EQ(ReadFile(TicketFile(44, "sale.mag")), "") << "the work file, made with room for the reply, holds none";
  EXPECT_TRUE(FileExists(TicketFile(44, "sale_0000.xmm")));
}

// A ticket still waiting for its writer at shutdown stays as it is, for the next start: no reply, no
// job, and no writer check once the window is closed.
TEST_F(DriverAtWork, TicketWaitingForItsWriterStaysAtShutdown) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n1=1\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  DropTicket(driver, 1, "held.txt", SampleTicket("sale.txt"));
  std::ifstream writer(TicketFile(1, "held.txt"));  // still open in the writer's hands
  ASSERT_TRUE(WaitFor([&] { return m_Log.Contains("ProcessTicketFile for id 1"); }));
  ASSERT_TRUE(Close());
  writer.close();
  EXPECT_FALSE(WaitFor([&] { return !FileExists(TicketFile(1, "held.txt")); }, std::chrono::milliseconds(300)));
  EXPECT_FALSE(FileExists(TicketFile(1, "held.rep")));
  EXPECT_EQ(driver.JobThreadCount(), 0u);
  EXPECT_EQ(driver::CWorkerThread::LiveCount(), 0);
}

struct FollowUpCase {
  const char* label;
  driver::WindowMessage message;
  int ecr;
  std::string sent;  // the command the register gets, or "" for none
};

void PrintTo(const FollowUpCase& c, std::ostream* out) { *out << c.label; }

class FollowUpMessage : public DriverAtWork, public testing::WithParamInterface<FollowUpCase> {};

// The follow-up messages the control's event handlers post reach the register through the driver.
TEST_P(FollowUpMessage, SendsTheRegisterItsCommand) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n2=2\r\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  m_Emulator->ClearCallLog();
  driver.PostMessage(GetParam().message, GetParam().ecr);
  QCoreApplication::processEvents();
  std::vector<std::string> sent;
  for (const std::string& call : m_Emulator->CallLog())
    if (call.rfind("IODirect ", 0) == 0) sent.push_back(call);
  EXPECT_EQ(sent, GetParam().sent.empty() ? std::vector<std::string>{} : std::vector<std::string>{GetParam().sent});
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FollowUpMessage,
    testing::Values(
        FollowUpCase{"StatusAlert", driver::WindowMessage::WM_STATUSALERT, 2, "IODirect 2 0;*4;*3;+1;"}),
    [](const testing::TestParamInfo<FollowUpCase>& info) { return std::string(info.param.label); });

TEST_F(DriverAtWork, FolderChangeMovesEveryRegisterAndIsSavedInQorCfg) {
  WriteFile(Base() + "QorEmulator.ini", "[Registers]\r\n1=1\r\n2=0\r\n");
  WriteFile(Base() + "Qor.cfg", "[FOLDERS]\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  const std::string reports = Base() + "MyReports";
  const std::string tickets = Base() + "NewTickets";

  driver.ChangeFolders(reports, tickets);
  EXPECT_EQ(ReadFile(Base() + "Qor.cfg"), "[FOLDERS]\nReportFolder=" + reports + "\nTicketFolder=" + tickets + "\n\n");
  EXPECT_EQ(m_Emulator->GetReportFolder(), reports);
  EXPECT_TRUE(std::filesystem::is_directory(reports));
  EXPECT_EQ(driver.TicketRoot(), tickets);
  for (int id : {1, 2}) {
    EXPECT_EQ(driver.FindEcr(id)->TicketFolder(), tickets + "/" + std::to_string(id));
    EXPECT_TRUE(std::filesystem::is_directory(tickets + "/" + std::to_string(id)));
  }
  EXPECT_TRUE(m_Log.Contains("New Report Folder: [" + reports + "]"));
  EXPECT_TRUE(m_Log.Contains("New Ticket Folder: [" + tickets + "]"));
}

// The first OK after start always stores the report folder; an unchanged ticket root is not written.
TEST_F(DriverAtWork, FirstUnchangedConfirmationStoresOnlyTheReportFolder) {
  WriteFile(Base() + "Qor.cfg", "[FOLDERS]\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  const std::string reportFolder = m_Emulator->GetReportFolder();
  driver.ChangeFolders(reportFolder, driver.TicketRoot());
  EXPECT_EQ(ReadFile(Base() + "Qor.cfg"), "[FOLDERS]\nReportFolder=" + reportFolder + "\n\n");
  EXPECT_FALSE(m_Log.Contains("New Ticket Folder: [" + driver.TicketRoot() + "]"));
}

// Another driver serves the chosen ticket root: the change is refused with message 98 and nothing moves.
TEST_F(DriverAtWork, FolderChangeToTicketFoldersAnotherDriverServesIsRefused) {
  WriteFile(Base() + "Qor.cfg", "[FOLDERS]\n");
  driver::CQorDriverDlg& driver = StartOnEmulator();
  const std::string taken = Base() + "Taken";
  std::filesystem::create_directory(taken);
  platform::FolderLock otherDriver;
  ASSERT_EQ(otherDriver.Lock(taken, platform::FolderLockPlace::kInTheLockFolder), platform::FolderLockResult::Locked);
  const std::string root = driver.TicketRoot();
  driver.ChangeFolders(m_Emulator->GetReportFolder(), taken);
  EXPECT_EQ(driver.TicketRoot(), root);
  EXPECT_EQ(driver.FindEcr(1)->TicketFolder(), root + "/1");
  EXPECT_EQ(m_MessageBox.m_Texts.back(), Message(98));
  EXPECT_EQ(ReadFile(Base() + "Qor.cfg").find("TicketFolder"), std::string::npos);
}

// Without "Qor.cfg" the chosen folders would be lost at the next start: the file is made.
TEST_F(DriverAtWork, FolderChangeWithoutQorCfgMakesTheFileAndTheNextStartUsesIt) {
  driver::CQorDriverDlg& driver = StartOnEmulator();
  driver.ChangeFolders(Base() + "r", Base() + "t");
  EXPECT_EQ(ReadFile(Base() + "Qor.cfg"), "[FOLDERS]\nReportFolder=" + Base() + "r\nTicketFolder=" + Base() + "t\n\n");
  EXPECT_EQ(driver.TicketRoot(), Base() + "t");
  EXPECT_EQ(driver::ChooseTicketRoot(Base()).m_Root, Base() + "t");
}

}  // namespace

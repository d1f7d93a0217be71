// The request pages against the emulated registers: reports, zero-sets, the direct utilities under
// the register's job mutex, and the sheet as a whole (pages, labels, the register chosen last).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <thread>

#include "driver/admin/tests/sheet_rig.h"
#include "driver/admin/zero_set_page.h"
#include "platform/named_mutex.h"

namespace driver::admintest {
namespace {

TEST(Sheet, HasTheSevenPagesInOrderWithCatalogueLabelsAndAnEmptyStatusLine) {
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  EXPECT_EQ("QorDriver", sheet.windowTitle().toStdString());
  const char* labels[] = {"20", "23", "21", "64", "66", "22", "24"};
  ASSERT_EQ(kSheetPages, sheet.Tabs().count());
  for (int page = 0; page < kSheetPages; ++page) {
    EXPECT_EQ(MessageOf(labels[page]), sheet.Tabs().tabText(page).toStdString()) << page;
    CAdminPage& admin = sheet.Page(page);
    admin.EnsureInitialised();
    ASSERT_EQ(4, admin.EcrSelector().count()) << page;
    // Every selector names each register's type: what a type can do differs.
    EXPECT_EQ(FilledMessage("99", {"3", "0"}), admin.EcrSelector().itemText(2).toStdString());
    EXPECT_EQ(FilledMessage("99", {"4", "3"}), admin.EcrSelector().itemText(3).toStdString());
    // The catalogue's caption of the selector, on every page.
    EXPECT_EQ(MessageOf("7"), Child<QGroupBox>(admin, "ecrFrame").title().toStdString()) << page;
  }
  EXPECT_TRUE(Child<QPlainTextEdit>(sheet, "status").isReadOnly());
  EXPECT_EQ("", sheet.StatusText());
}

// A page first shown after a send elsewhere starts on the register that send used.
TEST(Sheet, TheRegisterOfTheLastSendIsPreselectedOnPagesShownLater) {
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& reports = PageOn(sheet, kReportsPage, 2);
  Click(reports, "send");
  EXPECT_EQ(2, rig.m_Host.SelectedRegister());
  sheet.Page(kHeadersPage).EnsureInitialised();
  EXPECT_EQ(2, sheet.Page(kHeadersPage).EcrSelector().currentIndex());
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
}

struct CReportCase {
  const char* m_Button;
  int m_PrintFlag;
};

class ReportsPage : public ::testing::TestWithParam<CReportCase> {};

TEST_P(ReportsPage, SendsTheChosenReportPrintedOrNot) {
  CSheetRig rig;
  CEcrContext& ecr = rig.Ecr(2);
  ecr.Events().ExpectReport(/*quiet=*/true);
  CReportJob& sent = rig.Sheet(2).m_Report;
  sent.m_PrintFlag = 1 - GetParam().m_PrintFlag;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kReportsPage, 1);
  Child<QRadioButton>(page, "report4").setChecked(true);
  Click(page, GetParam().m_Button);
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_EQ(4, sent.m_ReportType);
  EXPECT_EQ(GetParam().m_PrintFlag, sent.m_PrintFlag);
  EXPECT_FALSE(ecr.Events().ReportIsQuiet());
  EXPECT_EQ(1, rig.CountCalls(2, "Request 2 " + std::to_string(kRequestReportBase + 4)));
}

INSTANTIATE_TEST_SUITE_P(Buttons, ReportsPage, ::testing::Values(CReportCase{"send", 0}, CReportCase{"print", 1}));

// The daily closure reads nothing of the page; the partial zero-sets send the chosen one.
TEST(ZeroSetPage, DailyZeroSetIgnoresTheChoiceAndThePrintFlag) {
  CSheetRig rig;
  CZeroSetJob& sent = rig.Sheet(1).m_ZeroSet;
  sent.m_ZeroSetType = 2;
  sent.m_PrintFlag = 1;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kZeroSetPage, 0);
  EXPECT_TRUE(Child<QRadioButton>(page, "zeroSet2").isChecked());
  Child<QRadioButton>(page, "zeroSet4").setChecked(true);
  rig.m_Rig.Emulator().ClearCallLog();
  WhenAsked(PressYes);
  Click(page, "daily");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_EQ(-1, sent.m_ZeroSetType);
  EXPECT_EQ(1, sent.m_PrintFlag);
  for (const std::string& call : rig.Calls(1)) EXPECT_EQ(std::string::npos, call.find("Request")) << call;

  Click(page, "print");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(2));
  EXPECT_EQ(4, sent.m_ZeroSetType);
  EXPECT_EQ(1, rig.CountCalls(1, "Request 1 " + std::to_string(kRequestZeroSetBase + 4)));
}

// A register whose last zero-set was the daily closure shows no choice; Send then has nothing to
// send, rather than a second fiscal closure.
TEST(ZeroSetPage, SendWithoutAChoiceSendsNothing) {
  CSheetRig rig;
  rig.Sheet(3).m_ZeroSet.m_ZeroSetType = -1;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kZeroSetPage, 2);
  for (int zeroSet = 0; zeroSet < kZeroSetChoices; ++zeroSet)
    EXPECT_FALSE(Child<QRadioButton>(page, ("zeroSet" + std::to_string(zeroSet)).c_str()).isChecked());
  Click(page, "send");
  Click(page, "print");
  EXPECT_EQ(-1, rig.Sheet(3).m_ZeroSet.m_ZeroSetType);
  EXPECT_EQ(MessageOf("95"), sheet.StatusText());
  // The next job is the first one.
  Child<QRadioButton>(page, "zeroSet0").setChecked(true);
  Click(page, "send");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_EQ(1, rig.CountCalls(3, "BeginJob 3"));
}

struct CUtilityCase {
  const char* m_Name;
  int m_Ecr;
  const char* m_Button;  // empty: Return in the command field
  const char* m_Command;
  std::vector<std::string> m_Calls;
  // The status line once the register has answered: a message number and its values.
  const char* m_Outcome;
  std::vector<std::string> m_Values;
};

class UtilitiesPage : public ::testing::TestWithParam<CUtilityCase> {};

TEST_P(UtilitiesPage, SendsTheRegistersFamilyCommandsDirectlyAndShowsTheAnswer) {
  const CUtilityCase& test = GetParam();
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  rig.m_Host.Attach(sheet);
  CAdminPage& page = PageOn(sheet, kUtilitiesPage, test.m_Ecr - 1);
  Child<QLineEdit>(page, "command").setText(test.m_Command);
  rig.m_Rig.Emulator().ClearCallLog();
  if (*test.m_Button == '\0') {
    QTest::keyClick(&Child<QLineEdit>(page, "command"), Qt::Key_Return);
  } else {
    Click(page, test.m_Button);
  }
  const std::string outcome = *test.m_Outcome ? FilledMessage(test.m_Outcome, test.m_Values) : "";
  EXPECT_TRUE(Eventually([&] { return sheet.StatusText() == outcome; })) << sheet.StatusText();
  EXPECT_EQ(test.m_Calls, rig.Calls(test.m_Ecr));
  EXPECT_EQ(0u, rig.m_Host.EndedJobs());
}

INSTANTIATE_TEST_SUITE_P(
    Registers, UtilitiesPage,
    ::testing::Values(CUtilityCase{"UnlockType0", 3, "unlockKeyboard", "", {"IODirect 3 *U"}, "96", {"3", "OK"}},
                      CUtilityCase{"UnlockType3", 4, "unlockKeyboard", "", {"IODirect 4 *U"}, "96", {"4", "OK"}},
                      CUtilityCase{"UnlockType1", 1, "unlockKeyboard", "", {"IODirect 1 0;*3;"}, "96", {"1", "OK"}},
                      CUtilityCase{"ClearErrorType3", 4, "clearError", "", {"IODirect 4 *SZ", "IODirect 4 *SZ"}, "96", {"4", "OK"}},
                      CUtilityCase{"ClearErrorType2", 2, "clearError", "", {"IODirect 2 0;#S3:3"}, "96", {"2", "OK"}},
                      CUtilityCase{"CommandUnchanged", 3, "ioDirect", " 0;*2; ", {"IODirect 3  0;*2; "}, "69",
                                   {"3", MessageOf("102"), "203"}},
                      CUtilityCase{"RefusedByTheRegister", 1, "ioDirect", "0;#Z", {"IODirect 1 0;#Z"}, "96",
                                   {"1", "ERR not in closure mode: 0;#Z"}},
                      CUtilityCase{"ReturnSendsTheCommand", 3, "", "*U", {"IODirect 3 *U"}, "96", {"3", "OK"}},
                      CUtilityCase{"EmptyCommand", 1, "ioDirect", "", {}, "", {}}),
    [](const auto& info) { return std::string(info.param.m_Name); });

// A job holding the register keeps the utilities out: after the wait they send nothing.
TEST(UtilitiesPage, NothingIsSentWhileAJobHoldsTheRegister) {
  CSheetRig rig;
  CEcrContext& ecr = rig.Ecr(3);
  CWaitLimits limits = ecr.Limits();
  limits.m_Utility = std::chrono::milliseconds(50);
  ecr.SetLimits(limits);
  std::mutex lock;
  std::condition_variable changed;
  bool held = false;
  bool done = false;
  std::thread job([&] {
    ecr.JobMutex()->Wait();
    std::unique_lock guard(lock);
    held = true;
    changed.notify_all();
    changed.wait(guard, [&] { return done; });
    ecr.JobMutex()->Release();
  });
  {
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return held; });
  }
  CPropDialog sheet(rig.m_Host);
  rig.m_Host.Attach(sheet);
  CAdminPage& page = PageOn(sheet, kUtilitiesPage, 2);
  Child<QLineEdit>(page, "command").setText("*U");
  rig.m_Rig.Emulator().ClearCallLog();
  for (const char* button : {"unlockKeyboard", "clearError", "ioDirect"}) Click(page, button);
  ASSERT_TRUE(rig.m_Host.WaitForOutcomes(3));
  EXPECT_TRUE(rig.Calls(3).empty());
  EXPECT_TRUE(Eventually([&] { return sheet.StatusText() == FilledMessage("93", {"3"}); })) << sheet.StatusText();
  {
    std::lock_guard guard(lock);
    done = true;
  }
  changed.notify_all();
  job.join();
}

// Whether the sheet waited for the job mutex shows on a mutex left abandoned by a thread that died
// holding it: a wait takes it (and clears the abandonment), no wait leaves it abandoned.
TEST(UtilitiesPage, AnEmptyCommandDoesNotWaitForTheRegister) {
  for (const char* command : {"", "*U"}) {
    CSheetRig rig;
    CEcrContext& ecr = rig.Ecr(3);
    std::thread([&] { ecr.JobMutex()->Wait(); }).join();
    CPropDialog sheet(rig.m_Host);
    CAdminPage& page = PageOn(sheet, kUtilitiesPage, 2);
    Child<QLineEdit>(page, "command").setText(command);
    Click(page, "ioDirect");
    const bool empty = *command == '\0';
    if (!empty) {
      ASSERT_TRUE(rig.m_Host.WaitForOutcomes(1));
    }
    std::uint32_t next = platform::kWaitFailed;
    std::thread([&] {
      next = ecr.JobMutex()->Wait(std::chrono::milliseconds(0));
      ecr.JobMutex()->Release();
    }).join();
    EXPECT_EQ(empty ? platform::kWaitAbandoned0 : platform::kWaitObject0, next) << command;
    EXPECT_EQ(empty ? 0 : 1, rig.CountCalls(3, "IODirect 3 *U")) << command;
  }
}

TEST(UtilitiesPage, HistoryButtonsStartTheirJobs) {
  CSheetRig rig;
  CEcrContext& ecr = rig.Ecr(4);
  ecr.Events().ExpectHistory(/*quiet=*/true);
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kUtilitiesPage, 3);
  Click(page, "readHistory");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_FALSE(ecr.Events().ReportIsQuiet());
  EXPECT_EQ(1, rig.CountCalls(4, "Request 4 " + std::to_string(kRequestHistory)));
  WhenAsked(PressYes);
  Click(page, "rollBackHistory");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(2));
  EXPECT_EQ(1, rig.CountCalls(4, "Request 4 " + std::to_string(kRequestHistoryRollback)));
}

}  // namespace
}  // namespace driver::admintest

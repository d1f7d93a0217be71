// What the sheet tells and asks, against the emulated registers: the questions before what cannot be
// undone, the register each page shows, the status line's outcome of each job, and the size the sheet
// opens at in every language.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QScrollBar>
#include <QToolButton>
#include <functional>

#include "driver/admin/tests/sheet_rig.h"
#include "driver/messages.h"

namespace driver::admintest {
namespace {

struct CQuestionCase {
  const char* m_Name;
  int m_Page;
  int m_Ecr;
  const char* m_Button;
  const char* m_Question;
  void (*m_Answer)(QMessageBox&);
  bool m_Sent;
};

class IrreversibleActions : public ::testing::TestWithParam<CQuestionCase> {};

// No is the default and Yes has no shortcut: a hurried Return or a stray letter sends nothing, and
// the status line says nothing was sent (the keys themselves: CarefulQuestion in the desktop tests).
TEST_P(IrreversibleActions, AskNamingTheRegisterWithNoAsTheDefault) {
  const CQuestionCase& test = GetParam();
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, test.m_Page, test.m_Ecr - 1);
  std::string asked;
  bool noIsDefault = false;
  bool yesHasNoShortcut = false;
  WhenAsked([&](QMessageBox& question) {
    asked = question.text().toStdString();
    noIsDefault = question.defaultButton() == qobject_cast<QPushButton*>(question.button(QMessageBox::No));
    yesHasNoShortcut = question.button(QMessageBox::Yes)->shortcut().isEmpty();
    test.m_Answer(question);
  });
  Click(page, test.m_Button);
  EXPECT_EQ(FilledMessage(test.m_Question, {std::to_string(test.m_Ecr)}), asked);
  EXPECT_TRUE(noIsDefault);
  EXPECT_TRUE(yesHasNoShortcut);
  const std::string begin = "BeginJob " + std::to_string(test.m_Ecr);
  if (!test.m_Sent) {
    EXPECT_EQ(0, rig.CountCalls(test.m_Ecr, begin));
    EXPECT_EQ(FilledMessage("100", {std::to_string(test.m_Ecr)}), sheet.StatusText());
    return;
  }
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_EQ(1, rig.CountCalls(test.m_Ecr, begin));
}

INSTANTIATE_TEST_SUITE_P(
    Questions, IrreversibleActions,
    ::testing::Values(CQuestionCase{"DailyZeroSetReturn", kZeroSetPage, 3, "daily", "83", PressReturn, false},
                      CQuestionCase{"DailyZeroSetYes", kZeroSetPage, 3, "daily", "83", PressYes, true},
                      CQuestionCase{"RollBackReturn", kUtilitiesPage, 4, "rollBackHistory", "84", PressReturn, false},
                      CQuestionCase{"RollBackYes", kUtilitiesPage, 4, "rollBackHistory", "84", PressYes, true}),
    [](const auto& info) { return std::string(info.param.m_Name); });

// A page shown again follows the register chosen or sent to on another page meanwhile.
TEST(SheetRegister, EveryPageShowsTheRegisterLastUsedEachTimeItIsShown) {
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  sheet.show();
  const auto shownOn = [&](int pageIndex) {
    sheet.Tabs().setCurrentIndex(pageIndex);
    return std::to_string(sheet.Page(pageIndex).EcrSelector().currentIndex() + 1);
  };
  EXPECT_EQ("1", shownOn(kZeroSetPage));
  shownOn(kReportsPage);
  ChooseRegister(sheet.Page(kReportsPage), 2);
  EXPECT_EQ("3", shownOn(kZeroSetPage));
  EXPECT_EQ("3", shownOn(kUtilitiesPage));
  CAdminPage& reports = sheet.Page(kReportsPage);
  sheet.Tabs().setCurrentIndex(kReportsPage);
  reports.EcrSelector().setCurrentIndex(1);  // not a choice of the person: only the send stores it
  Child<QRadioButton>(reports, "report0").setChecked(true);
  Click(reports, "print");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_EQ("2", shownOn(kZeroSetPage));
}

struct COutcomeCase {
  const char* m_Name;
  int m_Page;
  int m_Ecr;
  const char* m_Button;
  std::function<void(CSheetRig&, CAdminPage&)> m_Prepare;
  // The status line once everything has come in.
  std::function<std::string(CSheetRig&)> m_Outcome;
  bool m_Sent;
};

class JobOutcomes : public ::testing::TestWithParam<COutcomeCase> {};

TEST_P(JobOutcomes, TheStatusLineSaysWhereItWentAndHowItEnded) {
  const COutcomeCase& test = GetParam();
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  rig.m_Host.Attach(sheet);
  sheet.ShowStatus("an earlier message");
  CAdminPage& page = PageOn(sheet, test.m_Page, test.m_Ecr - 1);
  test.m_Prepare(rig, page);
  Click(page, test.m_Button);
  if (test.m_Sent) {
    ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  } else {
    EXPECT_EQ(0, rig.CountCalls(test.m_Ecr, "BeginJob " + std::to_string(test.m_Ecr)));
  }
  EXPECT_TRUE(Eventually([&] { return sheet.StatusText() == test.m_Outcome(rig); }))
      << sheet.StatusText() << "\nwanted: " << test.m_Outcome(rig);
}

void Programming(CSheetRig&, CAdminPage& page) {
  for (const char* field : {"description", "lalo", "halo", "code", "offer"})
    if (auto* edit = page.findChild<QLineEdit*>(field)) edit->setText("5");
  Child<QLineEdit>(page, "price").setText("2.40");
  Child<QLineEdit>(page, "description").setText("FRUIT");
}

void FirstReport(CSheetRig&, CAdminPage& page) { Child<QRadioButton>(page, "report0").setChecked(true); }

std::function<std::string(CSheetRig&)> Says(const char* number, std::vector<std::string> values) {
  return [number, values](CSheetRig&) { return FilledMessage(number, values); };
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, JobOutcomes,
    ::testing::Values(
        COutcomeCase{"DepartmentDone", kDepartmentsPage, 1, "send", Programming, Says("68", {"1"}), true},
        COutcomeCase{"PluRefusedByTheRegister", kPlusPage, 4, "send",
                     [](CSheetRig& rig, CAdminPage& page) {
                       Programming(rig, page);
                       rig.m_Rig.Emulator().SetGenericError(4, true);
                       ASSERT_TRUE(Eventually([&] { return rig.Ecr(4).Events().Status().m_GenericError == 1; }));
                     },
                     Says("69", {"4", MessageOf("74"), "14"}), true},
        COutcomeCase{"PluPriceThatIsNoAmount", kPlusPage, 2, "send",
                     [](CSheetRig& rig, CAdminPage& page) {
                       Programming(rig, page);
                       Child<QLineEdit>(page, "price").setText("abc");
                     },
                     Says("85", {MessageOf("63"), "abc"}), false},
        COutcomeCase{"PrintedReport", kReportsPage, 1, "print", FirstReport, Says("68", {"1"}), true},
        COutcomeCase{"SavedReport", kReportsPage, 2, "send", FirstReport,
                     [](CSheetRig& rig) { return FilledMessage("80", {rig.Ecr(2).Events().ReportPath()}); }, true},
        COutcomeCase{"ReportNotSaved", kReportsPage, 2, "send",
                     [](CSheetRig& rig, CAdminPage& page) {
                       FirstReport(rig, page);
                       rig.m_Rig.Emulator().SetReportFolder("/proc/nonexistent/Reports");
                       CWaitLimits limits = rig.Ecr(2).Limits();
                       limits.m_Completion = std::chrono::milliseconds(300);
                       rig.Ecr(2).SetLimits(limits);
                     },
                     Says("82", {"2"}), true},
        COutcomeCase{"HistorySaved", kUtilitiesPage, 4, "readHistory", [](CSheetRig&, CAdminPage&) {},
                     [](CSheetRig& rig) { return FilledMessage("80", {rig.Ecr(4).Events().HistoryPath()}); }, true}),
    [](const auto& info) { return std::string(info.param.m_Name); });

// Header lines longer than the register prints are cut where the person sees it.
TEST(HeadersPage, SaysWhichLinesWereCutAndShowsThemAsSent) {
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  rig.m_Host.Attach(sheet);
  CAdminPage& page = PageOn(sheet, kHeadersPage, 2);
  Child<QLineEdit>(page, "line2").setText("CAFFE DEL CORSO DI ROMA");
  Child<QLineEdit>(page, "line6").setText("THANK YOU AND GOODBYE");
  WhenAsked(PressYes);  // send them cut
  Click(page, "send");
  EXPECT_EQ(FilledMessage("67", {"3"}) + " " + FilledMessage("86", {"2, 6", "18"}), sheet.StatusText());
  EXPECT_EQ("CAFFE DEL CORSO DI", Child<QLineEdit>(page, "line2").text().toStdString());
  EXPECT_EQ("THANK YOU AND GOOD", Child<QLineEdit>(page, "line6").text().toStdString());
  const std::string done = FilledMessage("68", {"3"}) + " " + FilledMessage("86", {"2, 6", "18"});
  EXPECT_TRUE(Eventually([&] { return sheet.StatusText() == done; })) << sheet.StatusText();
}

class OpeningSize : public ::testing::TestWithParam<const char*> {};

// All seven tabs without scroll arrows; the longest notice, and a report's long path, whole on the
// status line (wrapped, nothing scrolled out of sight).
TEST_P(OpeningSize, ShowsEveryTabAndTheStatusLineInEveryLanguage) {
  CSheetRig rig;
  rig.m_Host.UseLanguage(GetParam());
  CPropDialog sheet(rig.m_Host);
  sheet.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
  QTabBar& tabs = *sheet.Tabs().tabBar();
  for (QToolButton* arrow : tabs.findChildren<QToolButton*>()) EXPECT_FALSE(arrow->isVisible()) << GetParam();
  for (int tab = 0; tab < tabs.count(); ++tab) EXPECT_LE(tabs.tabRect(tab).right(), tabs.width()) << tab;
  QPlainTextEdit& status = Child<QPlainTextEdit>(sheet, "status");
  EXPECT_TRUE(sheet.rect().contains(status.geometry()));
  const std::string path = "/var/lib/qor/shop-of-the-corner/Reports/ECR1_FINANCIAL_20261209_235959.txt";
  const std::vector<std::string> texts = {MessageOf("11", GetParam()), FillIn(MessageOf("80", GetParam()), {path})};
  for (const std::string& text : texts) {
    sheet.ShowStatus(text);
    QCoreApplication::processEvents();
    EXPECT_EQ(text, sheet.StatusText());
    EXPECT_EQ(0, status.verticalScrollBar()->maximum()) << GetParam() << ": " << text;
  }
  EXPECT_EQ(Qt::Window, sheet.windowType()) << "a window of its own has a task-bar entry";
}

INSTANTIATE_TEST_SUITE_P(Languages, OpeningSize, ::testing::Values("English", "Greek", "Italian"));

}  // namespace
}  // namespace driver::admintest

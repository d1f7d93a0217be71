// The Show command on a real driver: the opening question, ticket processing suspended exactly
// while the sheet is open, a second Show doing nothing, the sheet's status line fed by the driver,
// and a shutdown while the sheet is open.

#include <gtest/gtest.h>

#include "driver/admin/prop_dialog.h"
#include <QAbstractButton>

#include "driver/gui_tests/gui_rig.h"
#include "driver/messages.h"
#include "emulator/emulator_control.h"

namespace driver::guitest {
namespace {

using drivertest::Message;

TEST(ShowCommand, AnsweredNoLeavesTicketsFlowing) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {MessageAnswer::No};
  int opened = 0;
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&] { ++opened; });
  rig.Commands().Show();
  EXPECT_EQ(std::vector<std::string>{Message(10)}, rig.m_Box.m_Texts);
  EXPECT_EQ(std::vector<bool>{true}, rig.m_Box.m_ConfirmingWhenAsked);
  EXPECT_EQ(0, opened);
  EXPECT_FALSE(rig.Driver().Modal().IsConfirmingSheet());
  EXPECT_FALSE(rig.Driver().Modal().IsServiceSuspended());
  EXPECT_EQ("0", rig.SubmitTicket(1, "after_no"));
}

TEST(ShowCommand, AnsweredYesSuspendsTicketsUntilTheSheetCloses) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {MessageAnswer::Yes};
  CPropDialog* shown = nullptr;
  std::string replyWhileOpen;
  bool suspendedWhileOpen = false;
  std::string statusWhileOpen;
  std::size_t questionsAfterSecondShow = 0;
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&](CPropDialog* sheet) {
    shown = sheet;
    CGuiRig::WhenModal([&, sheet] {
      suspendedWhileOpen = rig.Driver().Modal().IsServiceSuspended() && rig.Driver().Modal().OpenSheet() == sheet;
      replyWhileOpen = rig.SubmitTicket(2, "while_open");
      rig.Commands().Show();  // a second Show while the sheet is open
      questionsAfterSecondShow = rig.m_Box.m_Texts.size();
      rig.Driver().ReportDisplay().ShowReport(2, "/reports/x.txt");
      statusWhileOpen = sheet->StatusText();
      sheet->reject();
    });
  });
  rig.Commands().Show();
  ASSERT_NE(nullptr, shown);
  EXPECT_TRUE(suspendedWhileOpen);
  EXPECT_EQ("11", replyWhileOpen);
  EXPECT_EQ(1u, questionsAfterSecondShow);
  EXPECT_EQ(FillIn(Message(80), {"/reports/x.txt"}), statusWhileOpen);
  EXPECT_FALSE(rig.Driver().Modal().IsServiceSuspended());
  EXPECT_EQ(nullptr, rig.Driver().Modal().OpenSheet());
  EXPECT_FALSE(rig.Driver().Modal().IsSheetOpen());
  EXPECT_EQ("0", rig.SubmitTicket(2, "after_close"));
}

// The sheet's pages hold the driver's registers: a shutdown while it is open closes it first.
TEST(ShowCommand, ADriverClosingUnderTheSheetClosesTheSheet) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {MessageAnswer::Yes};
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&](CPropDialog*) {
    CGuiRig::WhenModal([&] { rig.Driver().PostClose(); });
  });
  rig.Commands().Show();
  EXPECT_TRUE(rig.Driver().IsClosed());
  EXPECT_FALSE(rig.Driver().Modal().IsServiceSuspended());
  EXPECT_EQ(nullptr, rig.Driver().Modal().OpenSheet());
}

// A close request that comes while a direct utility waits for a register that does not answer is
// handled after the click, never inside it: the click must not find its register freed under it.
TEST(ShowCommand, ACloseRequestedDuringADirectUtilityIsHandledAfterIt) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {MessageAnswer::Yes};
  bool closedDuringTheClick = true;
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&](CPropDialog* sheet) {
    CGuiRig::WhenModal([&, sheet] {
      CAdminPage& page = sheet->Page(6);  // Utilities
      page.EnsureInitialised();
      page.EcrSelector().setCurrentIndex(2);  // register 3, of type 0
      rig.m_Emulator->SetNoAnswer(3, true);
      rig.Driver().PostClose();
      page.findChild<QAbstractButton*>("unlockKeyboard")->click();
      closedDuringTheClick = rig.Driver().IsClosed();
    });
  });
  rig.Commands().Show();
  EXPECT_FALSE(closedDuringTheClick);
  EXPECT_TRUE(rig.Driver().IsClosed());
  EXPECT_EQ(nullptr, rig.Driver().Modal().OpenSheet());
}

// The sheet works on the driver's own registers and remembers the register chosen last.
TEST(ShowCommand, TheSheetProgramsTheDriversRegisters) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {MessageAnswer::Yes};
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&](CPropDialog* sheet) {
    CGuiRig::WhenModal([&, sheet] {
      CAdminPage& page = sheet->Page(0);
      page.EnsureInitialised();
      EXPECT_EQ(static_cast<int>(rig.Driver().Registers().size()), page.EcrSelector().count());
      page.EcrSelector().setCurrentIndex(2);
      page.findChild<QAbstractButton*>("send")->click();
      const CEcrContext* ecr = rig.Driver().Registers()[2].get();
      rig.WaitFor([&] { return ecr->Events().ReportReady(); });
      sheet->reject();
    });
  });
  rig.Commands().Show();
  EXPECT_EQ(2, rig.Driver().SelectedRegister());
  EXPECT_NE(0, rig.Driver().Registers()[2]->Events().ReportReady());
}

// A job of the sheet ends on its own thread; the driver hands its outcome to the open sheet.
TEST(ShowCommand, TheOpenSheetShowsHowItsJobsEnded) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {MessageAnswer::Yes};
  std::string outcome;
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&](CPropDialog* sheet) {
    CGuiRig::WhenModal([&, sheet] {
      CAdminPage& page = sheet->Page(0);  // Reports: a printed report on register 1
      page.EnsureInitialised();
      page.EcrSelector().setCurrentIndex(0);
      page.findChild<QAbstractButton*>("report0")->click();
      page.findChild<QAbstractButton*>("print")->click();
      const std::string wanted = FillIn(Message(68), {"1"});
      rig.WaitFor([&] { return sheet->StatusText() == wanted; });
      outcome = sheet->StatusText();
      sheet->reject();
    });
  });
  rig.Commands().Show();
  EXPECT_EQ(FillIn(Message(68), {"1"}), outcome);
}

}  // namespace
}  // namespace driver::guitest

// The tray icon on a real driver: which clicks show menu 131, the modal flags that silence it, its
// texts, the image, the window used where the desktop has no notification area, and Exit.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "driver/about_dialog.h"
#include "driver/admin/prop_dialog.h"

#include "driver/gui_tests/gui_rig.h"
#include "driver/messages.h"
#include "testsupport/temp_folder.h"

namespace driver::guitest {
namespace {

using drivertest::Message;

struct CClickCase {
  const char* m_Name;
  QSystemTrayIcon::ActivationReason m_Reason;
  bool m_ShowsMenu;
};

class TrayClicks : public ::testing::TestWithParam<CClickCase> {};

TEST_P(TrayClicks, OnlyARightClickOrALeftDoubleClickShowsTheMenu) {
  CGuiRig rig;
  rig.Tray().OnActivated(GetParam().m_Reason);
  EXPECT_EQ(GetParam().m_ShowsMenu, rig.Tray().Menu().isVisible());
  rig.Tray().Menu().hide();
}

INSTANTIATE_TEST_SUITE_P(Reasons, TrayClicks,
                         ::testing::Values(CClickCase{"LeftClick", QSystemTrayIcon::Trigger, false},
                                           CClickCase{"RightClick", QSystemTrayIcon::Context, true},
                                           CClickCase{"LeftDoubleClick", QSystemTrayIcon::DoubleClick, true},
                                           CClickCase{"MiddleClick", QSystemTrayIcon::MiddleClick, false},
                                           CClickCase{"Unknown", QSystemTrayIcon::Unknown, false}),
                         [](const auto& info) { return std::string(info.param.m_Name); });

enum class ModalFlag { ServiceSuspended, SheetConfirming, AboutOpen };

// Raises (up) or lowers one modal flag as its window's command does.
void SetModalFlag(CModalState& modal, ModalFlag flag, bool up) {
  switch (flag) {
    case ModalFlag::ServiceSuspended:
      return up ? modal.SuspendService() : modal.SheetClosed();
    case ModalFlag::SheetConfirming:
      return up ? modal.SheetQuestionAsked() : modal.SheetQuestionAnswered();
    case ModalFlag::AboutOpen:
      return up ? modal.AboutOpened() : modal.AboutClosed();
  }
}

class TrayFlags : public ::testing::TestWithParam<ModalFlag> {};

TEST_P(TrayFlags, ClicksAreIgnoredWhileAModalWindowIsUp) {
  CGuiRig rig;
  CModalState& modal = rig.Driver().Modal();
  SetModalFlag(modal, GetParam(), true);
  for (auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick}) {
    rig.Tray().OnActivated(reason);
    EXPECT_FALSE(rig.Tray().Menu().isVisible());
  }
  SetModalFlag(modal, GetParam(), false);
  rig.Tray().OnActivated(QSystemTrayIcon::Context);
  EXPECT_TRUE(rig.Tray().Menu().isVisible());
  rig.Tray().Menu().hide();
}

INSTANTIATE_TEST_SUITE_P(Flags, TrayFlags,
                         ::testing::Values(ModalFlag::ServiceSuspended, ModalFlag::SheetConfirming, ModalFlag::AboutOpen));

// Menu 131: About, separator, Show, separator, Exit, with the catalogue's texts of the moment.
TEST(TrayMenu, TextsComeFromTheCatalogueEachTimeTheMenuIsShown) {
  CGuiRig rig;
  rig.Tray().OnActivated(QSystemTrayIcon::Context);
  const QList<QAction*> actions = rig.Tray().Menu().actions();
  ASSERT_EQ(5, actions.size());
  EXPECT_EQ(Message(37), actions[0]->text().toStdString());
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(Message(38), actions[2]->text().toStdString());
  EXPECT_TRUE(actions[3]->isSeparator());
  EXPECT_EQ(Message(39), actions[4]->text().toStdString());
  rig.Tray().Menu().hide();

  testsupport::WriteFile(rig.Base() + "GreekMessages.txt", "[testi]\r\n37=Greek 37\r\n");
  driver::ChangeLanguage("Greek", rig.Store());
  rig.Tray().OnActivated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ("Greek 37", actions[0]->text().toStdString());
  EXPECT_EQ("!?!", actions[2]->text().toStdString());
  rig.Tray().Menu().hide();
}

// The shop's registers in the tray: the summary under the tip, the registers that need a person at
// the head of the menu, gone again once they are well.
TEST(TrayMenu, RegistersThatNeedAPersonHeadTheMenuAndTheSummaryIsInTheTip) {
  CGuiRig rig;
  rig.Tray().Add(rig.Base() + "missing.ico", TrayPresence::NotificationArea);
  rig.Tray().ShowSummary("4 registers: 3 ready, 1 paper out; 7 tickets today");
  EXPECT_EQ("QorDriver\n4 registers: 3 ready, 1 paper out; 7 tickets today",
            rig.Tray().NotificationIcon()->toolTip().toStdString());
  rig.Tray().ShowAttention({"ECR 3: paper out"});
  QList<QAction*> actions = rig.Tray().Menu().actions();
  ASSERT_EQ(7, actions.size());
  EXPECT_EQ("ECR 3: paper out", actions[0]->text().toStdString());
  EXPECT_FALSE(actions[0]->isEnabled());
  EXPECT_TRUE(actions[1]->isSeparator());
  rig.Tray().ShowAttention({});
  actions = rig.Tray().Menu().actions();
  ASSERT_EQ(5, actions.size());
  rig.Tray().OnActivated(QSystemTrayIcon::Context);
  EXPECT_EQ(Message(37), actions[0]->text().toStdString());
  rig.Tray().Menu().hide();
  rig.Tray().Remove();
}

struct CExitCase {
  MessageAnswer m_Answer;
  bool m_Closes;
};

class TrayExit : public ::testing::TestWithParam<CExitCase> {};

TEST_P(TrayExit, AsksMessage6AndClosesTheDriverOnYes) {
  CGuiRig rig;
  rig.m_Box.m_Answers = {GetParam().m_Answer};
  rig.Tray().Menu().actions()[4]->trigger();
  rig.WaitFor([&] { return !rig.m_Box.m_Texts.empty(); });
  ASSERT_EQ(std::vector<std::string>{Message(6)}, rig.m_Box.m_Texts);
  // A stray key or Return must not close the driver: Yes has no shortcut and No is the default.
  EXPECT_EQ(std::vector<MessageButtons>{MessageButtons::YesNoCareful}, rig.m_Box.m_Buttons);
  if (GetParam().m_Closes) {
    EXPECT_TRUE(rig.WaitFor([&] { return rig.Driver().IsClosed(); }));
  } else {
    // A close posted by the command would be handled with the next messages; after them the driver
    // still runs.
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.Driver().IsClosed());
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, TrayExit,
                         ::testing::Values(CExitCase{MessageAnswer::Yes, true}, CExitCase{MessageAnswer::No, false}));

TEST(TrayIcon, TakesItsImageFromBrandIcoAndWorksWithoutIt) {
  CGuiRig rig;
  QImage image(64, 64, QImage::Format_ARGB32);
  image.fill(Qt::darkGreen);
  ASSERT_TRUE(image.save(QString::fromStdString(rig.Base() + "brand.ico"), "ICO"));
  rig.Tray().Add(rig.Base() + "brand.ico", TrayPresence::NotificationArea);
  ASSERT_NE(nullptr, rig.Tray().NotificationIcon());
  EXPECT_FALSE(rig.Tray().NotificationIcon()->icon().isNull());
  EXPECT_EQ("QorDriver", rig.Tray().NotificationIcon()->toolTip().toStdString());

  rig.Tray().Add(rig.Base() + "missing.ico", TrayPresence::NotificationArea);
  EXPECT_TRUE(rig.Tray().NotificationIcon()->icon().isNull());
  rig.Tray().OnActivated(QSystemTrayIcon::Context);
  EXPECT_TRUE(rig.Tray().Menu().isVisible());
  rig.Tray().Remove();
  EXPECT_EQ(nullptr, rig.Tray().NotificationIcon());
  EXPECT_FALSE(rig.Tray().Menu().isVisible());
}

// Without a notification area the same commands sit in a small window that stays.
TEST(TrayWindow, OffersTheThreeCommandsAndIgnoresThemWhileAModalWindowIsUp) {
  CGuiRig rig;
  rig.Tray().Add(rig.Base() + "brand.ico", TrayPresence::Window);
  QWidget* window = rig.Tray().Window();
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(nullptr, rig.Tray().NotificationIcon());
  QPushButton* exit = window->findChild<QPushButton*>("exit");
  ASSERT_NE(nullptr, exit);
  EXPECT_EQ(Message(37), window->findChild<QPushButton*>("about")->text().toStdString());
  EXPECT_EQ(Message(38), window->findChild<QPushButton*>("show")->text().toStdString());
  EXPECT_EQ(Message(39), exit->text().toStdString());
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());

  rig.Driver().Modal().AboutOpened();
  exit->click();
  QCoreApplication::processEvents();
  EXPECT_TRUE(rig.m_Box.m_Texts.empty());
  rig.Driver().Modal().AboutClosed();
  rig.m_Box.m_Answers = {MessageAnswer::No};
  exit->click();
  rig.WaitFor([&] { return !rig.m_Box.m_Texts.empty(); });
  EXPECT_EQ(std::vector<std::string>{Message(6)}, rig.m_Box.m_Texts);
}

// A panel that starts after the driver (or restarts): the window gives way to the icon and comes back
// when the notification area goes.
TEST(TrayPresence, TheIconMovesIntoANotificationAreaThatAppearsAndBackWhenItGoes) {
  CGuiRig rig;
  TrayPresence desktop = TrayPresence::Window;
  rig.Tray().Add(rig.Base() + "brand.ico", desktop);
  rig.Tray().FollowPresence([&] { return desktop; }, std::chrono::milliseconds(10));
  ASSERT_NE(nullptr, rig.Tray().Window());
  desktop = TrayPresence::NotificationArea;
  EXPECT_TRUE(rig.WaitFor([&] { return rig.Tray().NotificationIcon() != nullptr; }));
  EXPECT_EQ(nullptr, rig.Tray().Window());
  rig.Tray().OnActivated(QSystemTrayIcon::Context);
  EXPECT_TRUE(rig.Tray().Menu().isVisible());
  rig.Tray().Menu().hide();
  desktop = TrayPresence::Window;
  EXPECT_TRUE(rig.WaitFor([&] { return rig.Tray().Window() != nullptr; }));
  EXPECT_EQ(nullptr, rig.Tray().NotificationIcon());
  EXPECT_TRUE(rig.Tray().Window()->isVisible());
  // Taken away at shutdown, it stays away whatever the desktop does.
  rig.Tray().Remove();
  desktop = TrayPresence::NotificationArea;
  QTest::qWait(50);
  EXPECT_EQ(nullptr, rig.Tray().NotificationIcon());
}

// While About is open a click on the icon, or on the command window, shows no menu and runs no
// command, but brings About back to the front.
TEST(TrayIcon, AClickWhileAboutIsOpenBringsItToTheFront) {
  CGuiRig rig;
  rig.Tray().Add(rig.Base() + "brand.ico", TrayPresence::NotificationArea);
  QWidget other;
  other.setWindowTitle("the point-of-sale program");
  bool activeAfterIconClick = false;
  bool menuShown = true;
  QObject::connect(&rig.Commands(), &CTrayCommands::AboutOpening, [&](CAboutDialog* dialog) {
    CGuiRig::WhenModal([&, dialog] {
      other.show();
      other.activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
      rig.Tray().OnActivated(QSystemTrayIcon::Trigger);
      activeAfterIconClick = QTest::qWaitForWindowActive(dialog);
      menuShown = rig.Tray().Menu().isVisible();
      dialog->reject();
    });
  });
  rig.Commands().About();
  EXPECT_TRUE(activeAfterIconClick);
  EXPECT_FALSE(menuShown);
  EXPECT_TRUE(rig.m_Box.m_Texts.empty());
}

TEST(TrayWindow, AClickWhileTheSheetIsMinimisedBringsItBack) {
  CGuiRig rig;
  rig.Tray().Add(rig.Base() + "brand.ico", TrayPresence::Window);
  rig.m_Box.m_Answers = {MessageAnswer::Yes};
  bool restored = false;
  QObject::connect(&rig.Commands(), &CTrayCommands::SheetOpening, [&](CPropDialog* sheet) {
    CGuiRig::WhenModal([&, sheet] {
      sheet->showMinimized();
      // A click as the window system delivers it: a window the sheet blocked would never get it.
      QWidget* window = rig.Tray().Window();
      QPushButton* about = window->findChild<QPushButton*>("about");
      QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, about->mapTo(window, about->rect().center()));
      restored = !(sheet->windowState() & Qt::WindowMinimized) && sheet->isVisible();
      sheet->reject();
    });
  });
  rig.Commands().Show();
  EXPECT_TRUE(restored);
  EXPECT_EQ(1u, rig.m_Box.m_Texts.size()) << "only the sheet's opening question";
}

}  // namespace
}  // namespace driver::guitest

// The About dialog on a real driver: what it shows, the switch and the language taking effect at
// once, the folder choosers, and the folders changing only on OK.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QTest>
#include <filesystem>

#include "driver/about_dialog.h"
#include "driver/admin/careful_question.h"
#include "driver/gui_tests/gui_rig.h"
#include "emulator/emulator_control.h"
#include "driver/messages.h"
#include "driver/qt_translation.h"
#include "platform/profile.h"
#include "platform/store.h"
#include "testsupport/temp_folder.h"

namespace driver::guitest {
namespace {

using drivertest::Message;

template <class Widget>
Widget& Child(QWidget& parent, const char* name) {
  Widget* child = parent.findChild<Widget*>(name);
  if (child == nullptr) throw std::runtime_error(std::string("no child ") + name);
  return *child;
}

// Opens About, runs action inside it, then closes it with OK (accept) or the close box.
void RunAbout(CGuiRig& rig, bool ok, const std::function<void(CAboutDialog&)>& action) {
  QMetaObject::Connection connection =
      QObject::connect(&rig.Commands(), &CTrayCommands::AboutOpening, [&, ok](CAboutDialog* dialog) {
        CGuiRig::WhenModal([&, dialog, ok] {
          action(*dialog);
          ok ? dialog->accept() : dialog->reject();
        });
      });
  rig.Commands().About();
  QObject::disconnect(connection);
}

std::string FolderSetting(CGuiRig& rig, const std::string& key) {
  const std::string settings = testsupport::ReadFile(rig.Base() + "Qor.cfg");
  const std::size_t at = settings.find(key + "=");
  if (at == std::string::npos) return "<none>";
  const std::size_t end = settings.find_first_of("\r\n", at);
  return settings.substr(at + key.size() + 1, end - at - key.size() - 1);
}

TEST(AboutDialog, ShowsTheFoldersSwitchAndLanguageAndSetsAboutOpenWhileUp) {
  CGuiRig rig;
  const std::string reportFolder = rig.m_Emulator->GetReportFolder();
  bool aboutOpen = false;
  RunAbout(rig, false, [&](CAboutDialog& dialog) {
    aboutOpen = rig.Driver().Modal().IsAboutOpen();
    EXPECT_EQ(Message(40), dialog.windowTitle().toStdString());
    EXPECT_EQ(reportFolder, dialog.ReportFolder());
    EXPECT_EQ(rig.Driver().TicketRoot(), dialog.TicketFolder());
    EXPECT_EQ(Message(44), Child<QCheckBox>(dialog, "notepadForReports").text().toStdString());
    EXPECT_FALSE(Child<QCheckBox>(dialog, "notepadForReports").isChecked());
    QComboBox& language = Child<QComboBox>(dialog, "language");
    ASSERT_EQ(3, language.count());
    EXPECT_EQ(Message(109), language.itemText(0).toStdString());
    EXPECT_EQ(Message(110), language.itemText(1).toStdString());
    EXPECT_EQ(Message(111), language.itemText(2).toStdString());
    EXPECT_EQ("English", language.currentData().toString().toStdString());
    EXPECT_EQ("QorDriver " + Message(108) + " " + kVersion, Child<QLabel>(dialog, "version").text().toStdString());
    // It opens wide enough to show both folders whole.
    for (const char* name : {"reportFolder", "ticketFolder"}) {
      QLineEdit& field = Child<QLineEdit>(dialog, name);
      EXPECT_GT(field.width(), field.fontMetrics().horizontalAdvance(field.text())) << name;
    }
  });
  EXPECT_TRUE(aboutOpen);
  EXPECT_FALSE(rig.Driver().Modal().IsAboutOpen());
}

// A language picked shows at once in the dialog itself: its title, labels, buttons, the version and
// the languages' own names.
TEST(AboutDialog, APickedLanguageShowsAtOnce) {
  CGuiRig rig;
  for (const char* language : kLanguages)
    std::filesystem::copy_file(std::string(QOR_RESOURCES_DIR) + "/" + language + "Messages.txt",
                               rig.Base() + language + "Messages.txt", std::filesystem::copy_options::overwrite_existing);
  ChangeLanguage("English", rig.Store());
  const auto greek = [](const char* number) {
    return platform::GetPrivateProfileString("testi", number, "!?!", 256,
                                             std::string(QOR_RESOURCES_DIR) + "/GreekMessages.txt");
  };
  RunAbout(rig, false, [&](CAboutDialog& dialog) {
    QComboBox& language = Child<QComboBox>(dialog, "language");
    language.setCurrentIndex(1);
    emit language.activated(1);
    EXPECT_EQ(greek("40"), dialog.windowTitle().toStdString());
    EXPECT_EQ(greek("44"), Child<QCheckBox>(dialog, "notepadForReports").text().toStdString());
    EXPECT_EQ(greek("46"), Child<QPushButton>(dialog, "browseTicketFolder").text().toStdString());
    EXPECT_EQ("QorDriver " + greek("108") + " " + kVersion, Child<QLabel>(dialog, "version").text().toStdString());
    EXPECT_EQ(greek("109"), language.itemText(0).toStdString());
    EXPECT_EQ(greek("110"), language.currentText().toStdString());
  });
  EXPECT_EQ("Greek", rig.Store().GetValue(kLanguageKey, kLanguageValue).value_or(""));
}

// Changing only the language and confirming leaves every folder where it was.
TEST(AboutDialog, OkWithOnlyTheLanguageChangedChangesNoFolder) {
  CGuiRig rig;
  const std::string reportFolder = rig.m_Emulator->GetReportFolder();
  const std::string ticketRoot = rig.Driver().TicketRoot();
  std::vector<std::string> folders;
  for (const auto& ecr : rig.Driver().Registers()) folders.push_back(ecr->TicketFolder());
  testsupport::WriteFile(rig.Base() + "GreekMessages.txt", "[testi]\r\n6=Greek 6\r\n");
  RunAbout(rig, true, [&](CAboutDialog& dialog) {
    QComboBox& language = Child<QComboBox>(dialog, "language");
    language.setCurrentIndex(1);
    emit language.activated(1);
    EXPECT_EQ("Greek 6", LoadMessage("6"));  // at once, before OK
  });
  EXPECT_EQ("Greek", rig.Store().GetValue(kLanguageKey, kLanguageValue).value_or(""));
  EXPECT_EQ(reportFolder, rig.m_Emulator->GetReportFolder());
  EXPECT_EQ(ticketRoot, rig.Driver().TicketRoot());
  for (std::size_t i = 0; i < folders.size(); ++i) EXPECT_EQ(folders[i], rig.Driver().Registers()[i]->TicketFolder());
  EXPECT_EQ("<none>", FolderSetting(rig, "TicketFolder"));
  const std::string storedReportFolder = FolderSetting(rig, "ReportFolder");
  EXPECT_TRUE(storedReportFolder == "<none>" || storedReportFolder == reportFolder) << storedReportFolder;
}

TEST(AboutDialog, ATicketFolderChangeMovesEveryRegistersFolder) {
  CGuiRig rig;
  const std::string newRoot = rig.Base() + "Elsewhere";
  rig.m_Chooser.m_Answer = newRoot;
  RunAbout(rig, true, [&](CAboutDialog& dialog) {
    Child<QPushButton>(dialog, "browseTicketFolder").click();
    EXPECT_EQ(newRoot, dialog.TicketFolder());
  });
  EXPECT_EQ(std::vector<std::string>{Message(48)}, rig.m_Chooser.m_Titles);
  EXPECT_EQ(newRoot, rig.Driver().TicketRoot());
  EXPECT_EQ(newRoot, FolderSetting(rig, "TicketFolder"));
  for (const auto& ecr : rig.Driver().Registers()) {
    const std::string folder = newRoot + "/" + std::to_string(ecr->m_EcrId);
    EXPECT_EQ(folder, ecr->TicketFolder());
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
  }
  EXPECT_EQ("0", rig.SubmitTicket(3, "moved"));
}

// The choosers only replace the text; closing without OK changes nothing, even after choosing.
TEST(AboutDialog, FoldersChangeOnlyOnOkAndACancelledChooserKeepsTheText) {
  CGuiRig rig;
  const std::string ticketRoot = rig.Driver().TicketRoot();
  const std::string reportFolder = rig.m_Emulator->GetReportFolder();
  rig.m_Chooser.m_Answer = std::nullopt;
  RunAbout(rig, false, [&](CAboutDialog& dialog) {
    Child<QPushButton>(dialog, "browseReportFolder").click();
    EXPECT_EQ(reportFolder, dialog.ReportFolder());
    rig.m_Chooser.m_Answer = rig.Base() + "OtherReports";
    Child<QPushButton>(dialog, "browseReportFolder").click();
    Child<QPushButton>(dialog, "browseTicketFolder").click();
    EXPECT_EQ(rig.Base() + "OtherReports", dialog.ReportFolder());
  });
  EXPECT_EQ((std::vector<std::string>{Message(47), Message(47), Message(48)}), rig.m_Chooser.m_Titles);
  EXPECT_EQ(ticketRoot, rig.Driver().TicketRoot());
  EXPECT_EQ(reportFolder, rig.m_Emulator->GetReportFolder());
  EXPECT_EQ("<none>", FolderSetting(rig, "ReportFolder"));

  rig.m_Chooser.m_Answer = rig.Base() + "OtherReports";
  RunAbout(rig, true, [&](CAboutDialog& dialog) { Child<QPushButton>(dialog, "browseReportFolder").click(); });
  EXPECT_EQ(rig.Base() + "OtherReports", rig.m_Emulator->GetReportFolder());
  EXPECT_EQ(rig.Base() + "OtherReports", FolderSetting(rig, "ReportFolder"));
  EXPECT_TRUE(std::filesystem::is_directory(rig.Base() + "OtherReports"));
}

TEST(AboutDialog, EmptiedFolderFieldsKeepTheirFolders) {
  CGuiRig rig;
  const std::string ticketRoot = rig.Driver().TicketRoot();
  const std::string reportFolder = rig.m_Emulator->GetReportFolder();
  RunAbout(rig, true, [&](CAboutDialog& dialog) {
    Child<QLineEdit>(dialog, "ticketFolder").clear();
    Child<QLineEdit>(dialog, "reportFolder").clear();
  });
  EXPECT_EQ(ticketRoot, rig.Driver().TicketRoot());
  EXPECT_EQ(ticketRoot + "/1", rig.Driver().FindEcr(1)->TicketFolder());
  EXPECT_EQ(reportFolder, rig.m_Emulator->GetReportFolder());
  EXPECT_EQ("<none>", FolderSetting(rig, "TicketFolder"));
}

TEST(AboutDialog, TheReportViewerSwitchTakesEffectAtOnceAndStaysAfterClosing) {
  CGuiRig rig;
  bool onWhileOpen = false;
  RunAbout(rig, false, [&](CAboutDialog& dialog) {
    Child<QCheckBox>(dialog, "notepadForReports").click();
    onWhileOpen = rig.Driver().ReportDisplay().NotepadForReports();
  });
  EXPECT_TRUE(onWhileOpen);
  EXPECT_TRUE(rig.Driver().ReportDisplay().NotepadForReports());
  RunAbout(rig, false, [&](CAboutDialog& dialog) {
    EXPECT_TRUE(Child<QCheckBox>(dialog, "notepadForReports").isChecked());
  });
}

struct CFolderCase {
  const char* m_Name;
  const char* m_Field;
  const char* m_Label;
  std::string m_Folder;  // "<base>" stands for the base directory
  const char* m_Problem;
};

class AboutFolders : public ::testing::TestWithParam<CFolderCase> {};

// OK refuses a folder the driver could not use, says why, and keeps the dialog open; nothing changes
// until the person gives one it can use.
TEST_P(AboutFolders, AFolderTheDriverCannotUseIsRefusedBeforeOk) {
  const CFolderCase& test = GetParam();
  CGuiRig rig;
  std::string folder = test.m_Folder;
  if (folder.rfind("<base>", 0) == 0) folder = rig.Base() + folder.substr(6);
  testsupport::WriteFile(rig.Base() + "a-file", "");
  const std::string ticketRoot = rig.Driver().TicketRoot();
  const std::string reportFolder = rig.m_Emulator->GetReportFolder();
  bool stayedOpen = false;
  RunAbout(rig, true, [&](CAboutDialog& dialog) {
    QLineEdit& field = Child<QLineEdit>(dialog, test.m_Field);
    const QString shown = field.text();
    field.setText(QString::fromStdString(folder));
    dialog.accept();
    stayedOpen = dialog.isVisible() && dialog.result() != QDialog::Accepted;
    field.setText(shown);
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(std::vector<std::string>{FillIn(Message(std::stoi(test.m_Problem)), {Message(std::stoi(test.m_Label)), folder})},
            rig.m_Box.m_Texts);
  EXPECT_EQ(ticketRoot, rig.Driver().TicketRoot());
  EXPECT_EQ(reportFolder, rig.m_Emulator->GetReportFolder());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, AboutFolders,
    ::testing::Values(CFolderCase{"RelativeTicketFolder", "ticketFolder", "42", "relative/tickets", "87"},
                      CFolderCase{"ReportFolderThatCannotBeMade", "reportFolder", "41", "/proc/nonexistent/Reports", "88"},
                      CFolderCase{"TicketFolderThatIsAFile", "ticketFolder", "42", "<base>a-file", "88"}),
    [](const auto& info) { return std::string(info.param.m_Name); });

// Qt's own buttons speak the chosen language: Yes and No from the catalogue (Debian has no Greek
// translation of Qt), the rest from Qt's translation where the system has one.
TEST(QtTexts, StandardButtonsAndQtsDialogsFollowTheLanguage) {
  CGuiRig rig;
  testsupport::WriteFile(rig.Base() + "GreekMessages.txt", "[testi]\r\n89=&\xce\x9d\xce\xb1\xce\xb9\r\n90=\xce\x8c&\xcf\x87\xce\xb9\r\n");
  CQtTranslation translation;
  ChangeLanguage("Greek", rig.Store());
  translation.Use("Greek");
  {
    QMessageBox question(QMessageBox::Question, "QorDriver", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(QString::fromUtf8("&\xce\x9d\xce\xb1\xce\xb9"), question.button(QMessageBox::Yes)->text());
    EXPECT_EQ(QString::fromUtf8("\xce\x8c&\xcf\x87\xce\xb9"), question.button(QMessageBox::No)->text());
  }
  ChangeLanguage("Italian", rig.Store());
  translation.Use("Italian");
  if (!translation.QtTranslationLoaded()) GTEST_SKIP() << "Qt's Italian translation is not installed (qt6-translations-l10n)";
  EXPECT_NE("Save", QCoreApplication::translate("QPlatformTheme", "Save").toStdString());
  translation.Use("English");
  EXPECT_EQ("Save", QCoreApplication::translate("QPlatformTheme", "Save").toStdString());
}

}  // namespace
}  // namespace driver::guitest

namespace driver::guitest {
namespace {

// A key pressed and let go, as a keyboard gives it: a letter with its text (Greek ones too, which
// QTest's keys do not know).
void PressKey(QWidget* target, int key) {
  const QString text = key < Qt::Key_Escape ? QString(QChar(key)).toLower() : QString();
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

// The question before what cannot be undone, in each language with its catalogue's Yes and No: the
// letter of Yes's shortcut, Return and Escape never confirm, also with Yes in focus; only Tab to Yes
// and Space does.
class CarefulQuestion : public ::testing::TestWithParam<const char*> {};

TEST_P(CarefulQuestion, NoStrayKeyConfirmsOnlyTabAndSpaceOnYesDo) {
  CGuiRig rig;
  for (const char* language : kLanguages)
    std::filesystem::copy_file(std::string(QOR_RESOURCES_DIR) + "/" + language + "Messages.txt",
                               rig.Base() + language + "Messages.txt", std::filesystem::copy_options::overwrite_existing);
  CQtTranslation translation;
  ChangeLanguage(GetParam(), rig.Store());
  translation.Use(GetParam());
  const QString yes = QString::fromLocal8Bit(LoadMessage("89").c_str());
  const qsizetype mark = yes.indexOf(QLatin1Char('&'));
  ASSERT_GE(mark, 0) << "the catalogue's Yes has a shortcut letter";
  // A key of a letter is its upper-case code, as Qt gives shortcut letters.
  const int letter = static_cast<int>(yes[mark + 1].toUpper().unicode());
  struct CKeys {
    const char* m_Name;
    std::vector<int> m_Keys;
    bool m_Confirms;
  };
  const std::vector<CKeys> cases = {
      {"the letter of Yes, then Escape", {letter, Qt::Key_Escape}, false},
      {"Return", {Qt::Key_Return}, false},
      {"Escape", {Qt::Key_Escape}, false},
      {"Tab to Yes, then Return", {Qt::Key_Tab, Qt::Key_Return}, false},
      {"Tab to Yes, then Space", {Qt::Key_Tab, Qt::Key_Space}, true},
  };
  for (const CKeys& keys : cases) {
    SCOPED_TRACE(std::string(GetParam()) + ": " + keys.m_Name);
    bool stillUpAfterFirstKey = false;
    CGuiRig::WhenModal([&] {
      auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(question, nullptr);
      EXPECT_EQ(WithoutShortcut(yes), question->button(QMessageBox::Yes)->text());
      // A shortcut letter answers with an animated click, a moment later: each key is given that moment.
      const auto answered = [question] { return QTest::qWaitFor([question] { return !question->isVisible(); }, 400); };
      for (std::size_t at = 0; at < keys.m_Keys.size(); ++at) {
        QWidget* target = question->focusWidget() != nullptr ? question->focusWidget() : question;
        PressKey(target, keys.m_Keys[at]);
        if (at == 0) stillUpAfterFirstKey = !answered();
        if (!question->isVisible()) break;
      }
      answered();
      if (question->isVisible()) question->button(QMessageBox::No)->click();  // a failure must not hang
    });
    EXPECT_EQ(keys.m_Confirms, ConfirmCarefully(nullptr, QStringLiteral("Run the fiscal closure?")));
    if (keys.m_Keys.size() > 1) EXPECT_TRUE(stillUpAfterFirstKey);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, CarefulQuestion, ::testing::Values("English", "Greek", "Italian"));

}  // namespace
}  // namespace driver::guitest

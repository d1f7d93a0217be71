#pragma once
// What the desktop tests share: a real driver on the emulated registers (the driver tests' fixture)
// with the tray commands and icon over it, a message box and a folder chooser that answer as the
// test tells them, and ticket helpers.

#include <QApplication>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/folder_chooser.h"
#include "driver/message_box.h"
#include "driver/qor_driver_dlg.h"
#include "driver/tests/driver_fixture.h"
#include "driver/tray_commands.h"
#include "driver/tray_icon.h"

namespace driver::guitest {

// Answers each question with the next answer given (the default button when none is left) and
// remembers each text with the driver's modal flags at the time it was asked.
class CAnsweringMessageBox final : public IMessageBox {
 public:
  explicit CAnsweringMessageBox(CQorDriverDlg*& driver) : m_Driver(driver) {}
  MessageAnswer Show(const std::string& text, MessageButtons buttons) override;

  std::deque<MessageAnswer> m_Answers;
  std::vector<std::string> m_Texts;
  std::vector<MessageButtons> m_Buttons;
  std::vector<bool> m_ConfirmingWhenAsked;

 private:
  CQorDriverDlg*& m_Driver;
};

class CAnsweringFolderChooser final : public IFolderChooser {
 public:
  std::optional<std::string> ChooseFolder(QWidget*, const std::string& title, const std::string& start) override {
    m_Titles.push_back(title);
    m_Starts.push_back(start);
    return m_Answer;
  }
  std::optional<std::string> m_Answer;
  std::vector<std::string> m_Titles;
  std::vector<std::string> m_Starts;
};

class CGuiRig : public drivertest::DriverFixture {
 public:
  // Registers 1-4 of types 1, 2, 0, 3; "Qor.cfg" present so folder changes are stored.
  CGuiRig();
  ~CGuiRig();

  CTrayCommands& Commands() { return *m_Commands; }
  CTrayIcon& Tray() { return *m_Tray; }

  // Drops a status ticket into the register's folder, tells the driver, and returns its result code
  // once the reply is written ("<missing>" when none came in time).
  std::string SubmitTicket(int ecr, const std::string& name);

  // Runs action inside the next modal window's own event loop.
  static void WhenModal(std::function<void()> action);

  CQorDriverDlg* m_DriverPointer = nullptr;
  CAnsweringMessageBox m_Box{m_DriverPointer};
  CAnsweringFolderChooser m_Chooser;

 private:
  std::unique_ptr<CTrayCommands> m_Commands;
  std::unique_ptr<CTrayIcon> m_Tray;
};

std::string Trimmed(std::string text);

}  // namespace driver::guitest

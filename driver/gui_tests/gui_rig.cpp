#include "driver/gui_tests/gui_rig.h"

#include <QTimer>

#include "testsupport/temp_folder.h"

namespace driver::guitest {

MessageAnswer CAnsweringMessageBox::Show(const std::string& text, MessageButtons buttons) {
  m_Texts.push_back(text);
  m_Buttons.push_back(buttons);
  m_ConfirmingWhenAsked.push_back(m_Driver != nullptr && m_Driver->Modal().IsConfirmingSheet());
  if (m_Answers.empty()) return DefaultAnswer(buttons);
  const MessageAnswer answer = m_Answers.front();
  m_Answers.pop_front();
  return answer;
}

CGuiRig::CGuiRig() {
  testsupport::WriteFile(Base() + "QorDriver.ini", "[OCXManager]\r\nSingleClient=0\r\n");
  testsupport::WriteFile(Base() + "Qor.cfg", "[FOLDERS]\r\n");
  m_DriverPointer = &StartOnEmulator();
  m_Commands = std::make_unique<CTrayCommands>(Driver(), Store(), m_Box, m_Chooser);
  m_Tray = std::make_unique<CTrayIcon>(*m_Commands);
}

CGuiRig::~CGuiRig() {
  m_Tray.reset();
  if (!Driver().IsClosed()) Close();
}

std::string CGuiRig::SubmitTicket(int ecr, const std::string& name) {
  const std::string folder = Driver().FindEcr(ecr)->TicketFolder();
  const std::string reply = folder + "/" + name + ".rep";
  testsupport::WriteFile(folder + "/" + name + ".txt", "10\r\n");
  Driver().PostTicketFile(0, folder);
  WaitFor([&] { return testsupport::FileExists(reply); });
  // The result code is the reply's last line (a status ticket's status line comes before it).
  const std::string text = Trimmed(testsupport::ReadFile(reply));
  return text.substr(text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1);
}

void CGuiRig::WhenModal(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace driver::guitest

#include "driver/admin/tests/sheet_rig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QThread>
#include <unistd.h>

#include "driver/control/wait_io_direct.h"
#include "driver/messages.h"
#include "platform/profile.h"
#include "platform/named_mutex.h"

namespace driver::admintest {

std::string MessageOf(const char* number, const std::string& language) {
  return platform::GetPrivateProfileString("testi", number, "!?!", 256,
                                           std::string(QOR_RESOURCES_DIR) + "/" + language + "Messages.txt");
}

std::string FilledMessage(const char* number, const std::vector<std::string>& values) {
  return FillIn(MessageOf(number), values);
}

bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kGenerous;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  return true;
}

CSheetTestHost::CSheetTestHost(CControlRig& rig) : m_Rig(rig) {}

CSheetTestHost::~CSheetTestHost() {
  m_Rig.RunOnWindowThread([this] { m_Rig.Display().SetReportNotice({}); });
}

// The notices come on the rig's window thread and the outcomes on job threads; the sheet takes them
// on the main thread, as long as it is there.
void CSheetTestHost::Attach(CPropDialog& sheet) {
  m_Sheet = &sheet;
  QPointer<CPropDialog> target = &sheet;
  m_Rig.RunOnWindowThread([this, target] {
    m_Rig.Display().SetReportNotice([target](std::int32_t ecr, const std::string& path, bool opened) {
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [=] { if (target) target->ReportSaved(ecr, path, opened); }, Qt::QueuedConnection);
    });
  });
}

void CSheetTestHost::SheetJobEnded(const CSheetJobOutcome& outcome) {
  QPointer<CPropDialog> target = m_Sheet;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [=] { if (target) target->JobEnded(outcome); }, Qt::QueuedConnection);
  std::lock_guard guard(m_Lock);
  ++m_Outcomes;
  m_Changed.notify_all();
}

bool CSheetTestHost::WaitForOutcomes(std::size_t count) {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, kGenerous, [&] { return m_Outcomes >= count; });
}

std::vector<CEcrContext*> CSheetTestHost::Registers() {
  std::vector<CEcrContext*> registers;
  for (const auto& ecr : m_Rig.Registers()) registers.push_back(ecr.get());
  return registers;
}

ControlStatus CSheetTestHost::WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) {
  return driver::WaitIODirect(m_Rig.Control(), ecr.m_EcrId, command, argument, ecr);
}

void CSheetTestHost::ShowSheetStatus(const std::string& text) {
  std::lock_guard guard(m_Lock);
  m_StatusLines.push_back(text);
}

void CSheetTestHost::JobThreadEnded(CJobThreadIdentity) {
  std::lock_guard guard(m_Lock);
  ++m_Ended;
  m_Changed.notify_all();
}

bool CSheetTestHost::WaitForJobs(std::size_t count) {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, kGenerous, [&] { return m_Ended >= count; });
}

std::size_t CSheetTestHost::EndedJobs() const {
  std::lock_guard guard(m_Lock);
  return m_Ended;
}

std::vector<std::string> CSheetTestHost::StatusLines() const {
  std::lock_guard guard(m_Lock);
  return m_StatusLines;
}

CSheetRig::CSheetRig() {
  static std::atomic<int> counter{0};
  for (const auto& ecr : m_Rig.Registers()) {
    const std::string suffix = std::to_string(::getpid()) + "-" + std::to_string(counter++);
    ecr->GiveMutexes(platform::NamedMutex::Create("sheet-job-" + suffix, false).m_Mutex,
                     platform::NamedMutex::Create("sheet-stop-" + suffix, true).m_Mutex);
  }
}

std::string CSheetRig::Journal(int number) { return testsupport::ReadFile(m_Rig.Emulator().JournalPath(number)); }

// Entries are "<call> <register>" or "<call> <register> <text>".
std::vector<std::string> CSheetRig::Calls(int number) {
  std::vector<std::string> calls;
  const std::string ecr = std::to_string(number);
  for (const std::string& entry : m_Rig.Emulator().CallLog()) {
    if (entry.rfind("event ", 0) == 0) continue;
    const std::size_t first = entry.find(' ');
    if (first == std::string::npos) continue;
    const std::size_t second = entry.find(' ', first + 1);
    if (entry.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1) == ecr)
      calls.push_back(entry);
  }
  return calls;
}

int CSheetRig::CountCalls(int number, const std::string& call) {
  int count = 0;
  for (const std::string& entry : Calls(number))
    if (entry == call) ++count;
  return count;
}

CAdminPage& PageOn(CPropDialog& sheet, int pageIndex, int ecrIndex) {
  CAdminPage& page = sheet.Page(pageIndex);
  page.EnsureInitialised();
  page.EcrSelector().setCurrentIndex(ecrIndex);
  return page;
}

void Click(QWidget& parent, const char* buttonName) { Child<QAbstractButton>(parent, buttonName).click(); }

void WhenAsked(std::function<void(QMessageBox&)> answer) {
  const auto deadline = std::chrono::steady_clock::now() + kGenerous;
  auto look = std::make_shared<std::function<void()>>();
  *look = [answer, deadline, look] {
    auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (question == nullptr || !question->isVisible()) {
      // Not up yet: look again while its loop runs.
      if (std::chrono::steady_clock::now() < deadline) return QTimer::singleShot(5, *look);
    } else {
      answer(*question);
    }
    *look = nullptr;  // the function held itself
  };
  QTimer::singleShot(0, *look);
}

void PressYes(QMessageBox& question) { question.button(QMessageBox::Yes)->click(); }

void PressReturn(QMessageBox& question) { QTest::keyClick(&question, Qt::Key_Return); }

void ChooseRegister(CAdminPage& page, int index) {
  page.EcrSelector().setCurrentIndex(index);
  emit page.EcrSelector().activated(index);
}

}  // namespace driver::admintest

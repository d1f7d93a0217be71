#include "driver/tests/driver_fixture.h"

#include <future>
#include <thread>

#include "emulator/emulator_control.h"
#include "platform/named_mutex.h"

namespace drivertest {

driver::ControlStatus ScriptedControl::Close() {
  m_Calls.push_back("Close");
  // Another thread, as a waiting job would: a stop mutex it can take has been released.
  for (const std::string& name : m_StopMutexesAtClose) {
    bool free = std::async(std::launch::async, [&name] {
                  auto mutex = platform::NamedMutex::Create(name, false).m_Mutex;
                  bool taken = mutex->Wait(std::chrono::milliseconds(0)) == platform::kWaitObject0;
                  if (taken) mutex->Release();
                  return taken;
                }).get();
    m_StopMutexFreeAtClose.push_back(free);
  }
  return m_CloseResult;
}

std::string Message(int number) {
  const std::string text = "Message " + std::to_string(number);
  return number < kFirstMessageWithValues ? text : text + ": %1 %2 %3";
}

DriverFixture::DriverFixture() : m_Store(m_Folder / "registry") {
  std::string catalogue = "[testi]\r\n";
  for (int number = 1; number <= kLastMessage; ++number)
    catalogue += std::to_string(number) + "=" + Message(number) + "\r\n";
  testsupport::WriteFile(Base() + "EnglishMessages.txt", catalogue);
}

DriverFixture::~DriverFixture() {
  if (m_Driver && !m_Driver->IsClosed()) m_Driver->PostClose();
  // A close under way ends before the driver goes, as in the program: its job threads (a sheet's
  // utility among them) may still be using the registers until then.
  if (m_Driver) WaitFor([this] { return m_ClosedSignals > 0; });
  m_Driver.reset();
}

driver::CQorDriverDlg& DriverFixture::StartOnEmulator() {
  const std::string base = Base();
  return Start([this, base](const platform::Store&) {
    auto emulator = std::make_shared<emulator::CEmulatorControl>(base);
    emulator->RecordCalls();
    m_Emulator = emulator.get();
    driver::CControlChoice choice;
    choice.m_BaseDirectory = base;
    choice.m_Control = emulator.get();
    choice.m_Owner = std::move(emulator);
    return choice;
  });
}

driver::CQorDriverDlg& DriverFixture::StartOn(driver::IFiscalControl& control) {
  const std::string base = Base();
  return Start([base, &control](const platform::Store&) {
    driver::CControlChoice choice;
    choice.m_BaseDirectory = base;
    choice.m_Control = &control;
    return choice;
  });
}

driver::CQorDriverDlg& DriverFixture::Start(std::function<driver::CControlChoice(const platform::Store&)> choose) {
  m_Driver = std::make_unique<driver::CQorDriverDlg>(
      driver::CDriverEnvironment{&m_Store, &m_MessageBox, nullptr, std::move(choose)});
  QObject::connect(m_Driver.get(), &driver::CQorDriverDlg::Closed, [this] { ++m_ClosedSignals; });
  m_Driver->OnInitDialog();
  return *m_Driver;
}

bool DriverFixture::Close() {
  m_Driver->PostClose();
  return WaitFor([this] { return m_ClosedSignals > 0; });
}

bool DriverFixture::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return QTest::qWaitFor(done, static_cast<int>(limit.count()));
}

}  // namespace drivertest

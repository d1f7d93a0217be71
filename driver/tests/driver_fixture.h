#pragma once
// A driver started in a temporary base directory with a store of its own. The control is the
// register emulator, or a scripted control where a test needs what the emulator never does: a
// register list text of its own, an Open or Close that fails.

#include <QCoreApplication>
#include <QtTest/QTest>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "driver/control/fiscal_control.h"
#include "driver/control_choice.h"
#include "driver/message_box.h"
#include "driver/qor_driver_dlg.h"
#include "platform/store.h"
#include "testsupport/log_capture.h"
#include "testsupport/temp_folder.h"

namespace emulator {
class CEmulatorControl;
}

namespace drivertest {

// Remembers every message box text; answers with the default button.
class RecordingMessageBox final : public driver::IMessageBox {
 public:
  driver::MessageAnswer Show(const std::string& text, driver::MessageButtons buttons) override {
    m_Texts.push_back(text);
    return driver::DefaultAnswer(buttons);
  }
  std::vector<std::string> m_Texts;
};

// A control whose register list, Open and Close results the test sets. At Close it notes whether the
// stop mutexes named in m_StopMutexesAtClose could be taken by another thread.
class ScriptedControl final : public driver::IFiscalControl {
 public:
  std::string m_RegisterList;
  driver::ControlStatus m_OpenResult = 0;
  driver::ControlStatus m_CloseResult = 0;
  std::vector<std::string> m_StopMutexesAtClose;
  std::vector<bool> m_StopMutexFreeAtClose;
  std::vector<std::string> m_Calls;

  void SetEventSink(driver::IFiscalControlEvents*) override {}
  void SetBooleanProperty(int dispid, bool value) override {
    m_Calls.push_back("Property " + std::to_string(dispid) + (value ? "=1" : "=0"));
  }
  bool GetBooleanProperty(int) const override { return true; }
  std::string GetReportFolder() const override { return m_ReportFolder; }
  void SetReportFolder(const std::string& folder) override { m_ReportFolder = folder; }
  driver::ControlStatus Open(const std::string& argument) override {
    m_Calls.push_back("Open [" + argument + "]");
    return m_OpenResult;
  }
  driver::ControlStatus Close() override;
  driver::ControlStatus Write(std::int32_t, std::int32_t, const std::string&, std::int32_t&) override { return 0; }
  driver::ControlStatus Request(std::int32_t ecr, std::int32_t code, std::string& text) override {
    m_Calls.push_back("Request " + std::to_string(ecr) + " " + std::to_string(code));
    if (ecr == driver::kRequestRegisterListEcr && code == driver::kRequestRegisterList) text = m_RegisterList;
    return 0;
  }
  driver::ControlStatus IODirect(std::int32_t, const std::string&, std::int16_t) override { return 0; }
  driver::ControlStatus ClearOutput(std::int32_t) override { return 0; }
  driver::ControlStatus BeginJob(std::int32_t) override { return 0; }
  driver::ControlStatus EndJob(std::int32_t) override { return 0; }

 private:
  std::string m_ReportFolder;
};

class DriverFixture {
 public:
  DriverFixture();
  ~DriverFixture();

  std::string Base() const { return m_Folder.Path() + "/"; }
  platform::Store& Store() { return m_Store; }

  // A driver on the emulator of the base directory, or on the given control.
  driver::CQorDriverDlg& StartOnEmulator();
  driver::CQorDriverDlg& StartOn(driver::IFiscalControl& control);
  driver::CQorDriverDlg& Driver() { return *m_Driver; }
  // Posts WM_CLOSE and handles messages until the driver has closed.
  bool Close();

  // Handles posted messages until done() holds (at most the limit).
  static bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20));

  testsupport::TempFolder m_Folder;
  platform::Store m_Store;
  emulator::CEmulatorControl* m_Emulator = nullptr;  // set by StartOnEmulator
  ScriptedControl m_Scripted;                        // outlives the driver that uses it
  RecordingMessageBox m_MessageBox;
  testsupport::LogCapture m_Log;
  int m_ClosedSignals = 0;

 private:
  driver::CQorDriverDlg& Start(std::function<driver::CControlChoice(const platform::Store&)> choose);
  std::unique_ptr<driver::CQorDriverDlg> m_Driver;
};

// Message texts of the small catalogue every fixture writes: message n reads "Message n"; from the
// numbers whose texts take values on, "Message n: %1 %2 %3".
inline constexpr int kFirstMessageWithValues = 67;
inline constexpr int kLastMessage = 111;
std::string Message(int number);

}  // namespace drivertest

#pragma once
// An opened emulator in a fresh base directory with a recording driver stand-in.

#include <memory>
#include <string>

#include "emulator/emulator_control.h"
#include "emulator/tests/recording_sink.h"
#include "testsupport/temp_folder.h"

namespace emulator::testing {

class CEmulatorFixture {
 public:
  // With settings, "QorEmulator.ini" is written before the control opens.
  explicit CEmulatorFixture(const std::string& settings = {});
  ~CEmulatorFixture();

  CEmulatorControl& Control() { return *m_Control; }
  CRecordingSink& Sink() { return m_Sink; }
  const std::string& Base() const { return m_Base.Path(); }

  // Sends one native command and waits for its DirectIOEvent: "OK", "ERR ..." or "<none>".
  std::string Send(int ecr, const std::string& command);
  // Writes one element and waits for its OutputCompleteEvent: the result, -1 without completion.
  int Write(int ecr, const std::string& element);
  std::string Journal(int ecr) const;
  std::string Status(int ecr);

 private:
  testsupport::TempFolder m_Base;
  CRecordingSink m_Sink;
  std::unique_ptr<CEmulatorControl> m_Control;
};

// Element lines as the command document carries them.
std::string OpenTicket();
std::string Sale(const std::string& price, const std::string& department, const std::string& description,
                 const std::string& quantity = "", const std::string& pluCode = "");
std::string CloseTicket(const std::string& amount = "");
// True when some journal line begins with left and ends with right (printed columns).
bool HasLine(const std::string& journal, const std::string& left, const std::string& right);
// The <HELLO> value of a status text.
std::string HelloTextOf(const std::string& status);

}  // namespace emulator::testing

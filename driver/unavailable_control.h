#pragma once
// The control that stands in when the registered fiscal control module cannot be loaded: every call
// fails, so the start-up reports that the control could not be opened and the driver closes, instead
// of running tickets against a register that is not there.

#include "driver/control/fiscal_control.h"

namespace driver {

// REGDB_E_CLASSNOTREG, as the missing control's calls would return it.
inline constexpr ControlStatus kControlUnavailable = static_cast<ControlStatus>(0x80040154u);

class CUnavailableControl final : public IFiscalControl {
 public:
  void SetEventSink(IFiscalControlEvents*) override {}
  void SetBooleanProperty(int, bool) override {}
  bool GetBooleanProperty(int) const override { return false; }
  std::string GetReportFolder() const override { return {}; }
  void SetReportFolder(const std::string&) override {}
  ControlStatus Open(const std::string&) override { return kControlUnavailable; }
  ControlStatus Close() override { return 0; }  // nothing was opened, so nothing fails to close
  ControlStatus Write(std::int32_t, std::int32_t, const std::string&, std::int32_t&) override { return kControlUnavailable; }
  ControlStatus Request(std::int32_t, std::int32_t, std::string&) override { return kControlUnavailable; }
  ControlStatus IODirect(std::int32_t, const std::string&, std::int16_t) override { return kControlUnavailable; }
  ControlStatus ClearOutput(std::int32_t) override { return kControlUnavailable; }
  ControlStatus BeginJob(std::int32_t) override { return kControlUnavailable; }
  ControlStatus EndJob(std::int32_t) override { return kControlUnavailable; }
};

}  // namespace driver

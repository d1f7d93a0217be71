#pragma once
// The emulator as a control module: registered under the control's class id, it serves
// CEmulatorControl objects whose base directory is the module's own folder. The module's objects are
// Qt objects only so that the plug-in loader can hand them over; the control itself is plain.

#include <QObject>
#include <atomic>

#include "control_api/fiscal_control_plugin.h"
#include "emulator/emulator_control.h"
#include "platform/component_module.h"

namespace emulator {

inline constexpr const char* kEmulatorDescription = "Qorctrl register emulator";

class CEmulatorControlObject final : public QObject, public CEmulatorControl {
  Q_OBJECT
  Q_INTERFACES(control_api::IFiscalControl)
 public:
  using CEmulatorControl::CEmulatorControl;
};

class CEmulatorModule final : public QObject, public platform::IComponentModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QOR_COMPONENT_MODULE_IID)
  Q_INTERFACES(platform::IComponentModule)
 public:
  long DllRegisterServer(platform::IRegistryWriter& store, const std::string& modulePath) override;
  long DllUnregisterServer(platform::IRegistryWriter& store) override;
  QObject* CreateInstance(std::string_view classId) override;
  bool DllCanUnloadNow() const override;

 private:
  std::atomic<int> m_LiveObjects{0};
};

}  // namespace emulator

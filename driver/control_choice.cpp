#include "driver/control_choice.h"

#include <QObject>

#include "control_api/fiscal_control_plugin.h"
#include "driver/unavailable_control.h"
#include "emulator/emulator_control.h"
#include "platform/component_loader.h"
#include "platform/debug_log.h"
#include "platform/store.h"

namespace driver {
namespace {

// Without a registered control the driver drives the register emulator, in the current directory.
CControlChoice EmbeddedControl() {
  auto control = std::make_shared<emulator::CEmulatorControl>(std::string());
  CControlChoice choice;
  choice.m_Control = control.get();
  choice.m_Owner = std::move(control);
  return choice;
}

}  // namespace

CControlChoice UnavailableControl(std::string baseDirectory) {
  auto control = std::make_shared<CUnavailableControl>();
  CControlChoice choice;
  choice.m_BaseDirectory = std::move(baseDirectory);
  choice.m_Control = control.get();
  choice.m_Owner = std::move(control);
  return choice;
}

CControlChoice ChooseFiscalControl(const platform::Store& store) {
  std::optional<std::string> folder = platform::RegisteredModuleFolder(store, kFiscalControlClassId);
  if (!platform::RegisteredModulePath(store, kFiscalControlClassId)) return EmbeddedControl();

  std::string baseDirectory = folder.value_or("");
  platform::ComponentResult loaded = platform::LoadComponent(store, kFiscalControlClassId);
  IFiscalControl* control = loaded.m_Object ? qobject_cast<IFiscalControl*>(loaded.m_Object.get()) : nullptr;
  if (control == nullptr) {
    platform::DebugLog("[ZEDO] Fiscal control module [%s] not available: %s", loaded.m_ModulePath.c_str(),
                       loaded.m_Error.empty() ? "no control object" : loaded.m_Error.c_str());
    return UnavailableControl(baseDirectory);
  }
  CControlChoice choice;
  choice.m_BaseDirectory = std::move(baseDirectory);
  choice.m_Control = control;
  choice.m_Owner = std::shared_ptr<QObject>(std::move(loaded.m_Object));
  return choice;
}

}  // namespace driver

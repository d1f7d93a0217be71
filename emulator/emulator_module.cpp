#include "emulator/emulator_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace emulator {
namespace {

std::string ClassKey() { return std::string("HKEY_CLASSES_ROOT\\CLSID\\") + control_api::kFiscalControlClassId; }

// The folder of this module's file: the control's base directory.
std::string ModuleFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr) return {};
  return std::filesystem::absolute(info.dli_fname).parent_path().string();
}

}  // namespace

long CEmulatorModule::DllRegisterServer(platform::IRegistryWriter& store, const std::string& modulePath) {
  const std::string key = ClassKey();
  const bool written = store.CreateKey(key) && store.SetValue(key, "", kEmulatorDescription) &&
                       store.CreateKey(key + "\\InprocServer32") &&
                       store.SetValue(key + "\\InprocServer32", "", modulePath) &&
                       store.SetValue(key + "\\InprocServer32", "ThreadingModel", "Both");
  return written ? platform::kSelfRegOk : platform::kSelfRegFailed;
}

long CEmulatorModule::DllUnregisterServer(platform::IRegistryWriter& store) {
  return store.DeleteTree(ClassKey() + "\\InprocServer32") ? platform::kSelfRegOk : platform::kSelfRegFailed;
}

QObject* CEmulatorModule::CreateInstance(std::string_view classId) {
  if (classId != control_api::kFiscalControlClassId) return nullptr;
  auto* control = new CEmulatorControlObject(ModuleFolder());
  ++m_LiveObjects;
  QObject::connect(control, &QObject::destroyed, this, [this] { --m_LiveObjects; }, Qt::DirectConnection);
  return control;
}

bool CEmulatorModule::DllCanUnloadNow() const { return m_LiveObjects.load() == 0; }

}  // namespace emulator

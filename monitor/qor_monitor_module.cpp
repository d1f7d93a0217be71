#include "monitor/qor_monitor_module.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "monitor/qor_spy.h"
#include "monitor/registry_script.h"

namespace monitor {
namespace {

// Class ids name the same class in any letter case.
bool SameClassId(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

long QorMonitorModule::DllRegisterServer(platform::IRegistryWriter& store, const std::string& modulePath) {
  if (modulePath.empty()) return platform::kSelfRegFailed;
  return WriteRegistryScript(store, modulePath) ? platform::kSelfRegOk : platform::kSelfRegFailed;
}

long QorMonitorModule::DllUnregisterServer(platform::IRegistryWriter& store) {
  return RemoveRegistryScript(store) ? platform::kSelfRegOk : platform::kSelfRegFailed;
}

QObject* QorMonitorModule::CreateInstance(std::string_view classId) {
  if (!SameClassId(classId, kQorSpyClassId)) return nullptr;
  return QorSpy::Create().release();
}

bool QorMonitorModule::DllCanUnloadNow() const { return QorSpy::LiveObjects() == 0; }

}  // namespace monitor

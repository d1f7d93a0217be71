#include "driver/monitor_sink/server_registration.h"

#include <strings.h>

namespace driver {
namespace {

constexpr char kAppIdKey[] = "HKEY_CLASSES_ROOT\\AppID\\{D93A833A-7649-46D7-A14C-F2E07A695BD6}";
constexpr char kAppIdExeKey[] = "HKEY_CLASSES_ROOT\\AppID\\QorDriver.EXE";
constexpr char kAppId[] = "{D93A833A-7649-46D7-A14C-F2E07A695BD6}";
constexpr char kProgIdKey[] = "HKEY_CLASSES_ROOT\\QorDriver.QorMonitorSink.1";
constexpr char kIndependentProgIdKey[] = "HKEY_CLASSES_ROOT\\QorDriver.QorMonitorSink";
constexpr char kClassKey[] = "HKEY_CLASSES_ROOT\\CLSID\\{CECFC387-9207-40C5-892C-B43DD4F588C3}";
constexpr char kClassId[] = "{CECFC387-9207-40C5-892C-B43DD4F588C3}";
constexpr char kDescription[] = "QorMonitorSink Class";

std::string Below(const char* key, const char* name) { return std::string(key) + "\\" + name; }

}  // namespace

ServerSwitch FindServerSwitch(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) line += (line.empty() ? "" : " ") + argument;
  for (std::size_t at = line.find_first_of("-/"); at != std::string::npos; at = line.find_first_of("-/", at + 1)) {
    const char* token = line.c_str() + at + 1;
    if (::strcasecmp(token, "UnregServer") == 0) return ServerSwitch::kUnregister;
    if (::strcasecmp(token, "RegServer") == 0) return ServerSwitch::kRegister;
  }
  return ServerSwitch::kNone;
}

void RegisterDriverServer(platform::IRegistryWriter& store, const std::string& programPath) {
  store.SetValue(kAppIdKey, "", "QorDriver");
  store.SetValue(kAppIdExeKey, "AppID", kAppId);

  store.SetValue(kProgIdKey, "", kDescription);
  store.SetValue(Below(kProgIdKey, "CLSID"), "", kClassId);
  store.SetValue(kIndependentProgIdKey, "", kDescription);
  store.SetValue(Below(kIndependentProgIdKey, "CLSID"), "", kClassId);
  store.SetValue(Below(kIndependentProgIdKey, "CurVer"), "", "QorDriver.QorMonitorSink.1");
  store.DeleteTree(kClassKey);  // the class key is replaced whole
  store.SetValue(kClassKey, "", kDescription);
  store.SetValue(kClassKey, "AppID", "{CECFC389-9207-40C5-892C-B43DD4F588C3}");
  store.SetValue(Below(kClassKey, "ProgID"), "", "QorDriver.QorMonitorSink.1");
  store.SetValue(Below(kClassKey, "VersionIndependentProgID"), "", "QorDriver.QorMonitorSink");
  store.CreateKey(Below(kClassKey, "Programmable"));
  store.SetValue(Below(kClassKey, "LocalServer32"), "", programPath);
  store.SetValue(Below(kClassKey, "TypeLib"), "", kClassId);
}

void UnregisterDriverServer(platform::IRegistryWriter& store) {
  // The AppID and CLSID folders themselves belong to everyone and stay.
  for (const char* key : {kAppIdKey, kAppIdExeKey, kProgIdKey, kIndependentProgIdKey, kClassKey}) store.DeleteTree(key);
}

}  // namespace driver

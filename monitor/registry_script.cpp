#include "monitor/registry_script.h"

#include <iterator>
#include <string_view>

namespace monitor {
namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT\\";
constexpr std::string_view kModulePath = "<module path>";
constexpr std::string_view kModuleFolder = "<module folder>";

// One line of the script. A null name makes the key alone (an empty key such as Programmable).
struct ScriptLine {
  const char* key;
  const char* name;
  const char* value;
};

#define QOR_SPY_CLSID "CLSID\\{733B543D-B49E-4292-BC5D-B86E254EA671}"
#define QOR_TYPELIB "TypeLib\\{D82238CD-88D6-474C-AFBC-1C2A23371F24}\\1.0"
#define QOR_IQORSPY "Interface\\{7A972797-D2F4-4A7D-9255-171C8178439A}"
#define QOR_IEVENTS "Interface\\{A70E6B09-8DF7-4052-96FF-7F789B195250}"

constexpr ScriptLine kScript[] = {
    {"QorMonitor.QorSpy.1", "", "QorSpy Class"},
    {"QorMonitor.QorSpy.1\\CLSID", "", "{733B543D-B49E-4292-BC5D-B86E254EA671}"},
    {"QorMonitor.QorSpy", "", "QorSpy Class"},
    {"QorMonitor.QorSpy\\CLSID", "", "{733B543D-B49E-4292-BC5D-B86E254EA671}"},
    {"QorMonitor.QorSpy\\CurVer", "", "QorMonitor.QorSpy.1"},
    {QOR_SPY_CLSID, "", "QorSpy Class"},
    {QOR_SPY_CLSID "\\ProgID", "", "QorMonitor.QorSpy.1"},
    {QOR_SPY_CLSID "\\VersionIndependentProgID", "", "QorMonitor.QorSpy"},
    {QOR_SPY_CLSID "\\Programmable", nullptr, nullptr},
    {QOR_SPY_CLSID "\\InprocServer32", "", "<module path>"},
    {QOR_SPY_CLSID "\\InprocServer32", "ThreadingModel", "Apartment"},
    {QOR_SPY_CLSID "\\TypeLib", "", "{D82238CD-88D6-474c-AFBC-1C2A23371F24}"},
    // The type library: on this platform the module itself describes the interfaces.
    {QOR_TYPELIB, "", "QorMonitor 1.0 Type Library"},
    {QOR_TYPELIB "\\409\\linux", "", "<module path>"},
    {QOR_TYPELIB "\\FLAGS", "", "0"},
    {QOR_TYPELIB "\\HELPDIR", "", "<module folder>"},
    {QOR_IQORSPY, "", "IQorSpy"},
    {QOR_IQORSPY "\\TypeLib", "", "{D82238CD-88D6-474C-AFBC-1C2A23371F24}"},
    {QOR_IQORSPY "\\TypeLib", "Version", "1.0"},
    {QOR_IEVENTS, "", "_IQorSpyEvents"},
    {QOR_IEVENTS "\\TypeLib", "", "{D82238CD-88D6-474C-AFBC-1C2A23371F24}"},
    {QOR_IEVENTS "\\TypeLib", "Version", "1.0"},
};

// Keys that belong to the module alone, removed with everything below them.
constexpr const char* kOwnedKeys[] = {
    "QorMonitor.QorSpy.1",
    "QorMonitor.QorSpy",
    QOR_SPY_CLSID,
    "TypeLib\\{D82238CD-88D6-474C-AFBC-1C2A23371F24}",
    QOR_IQORSPY,
    QOR_IEVENTS,
};

constexpr const char* kReplacedWhole = QOR_SPY_CLSID;

#undef QOR_SPY_CLSID
#undef QOR_TYPELIB
#undef QOR_IQORSPY
#undef QOR_IEVENTS

std::string FullKey(std::string_view key) { return std::string(kRoot) + std::string(key); }

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ValueOf(std::string_view value, const std::string& modulePath) {
  if (value == kModulePath) return modulePath;
  if (value == kModuleFolder) return FolderOf(modulePath);
  return std::string(value);
}

}  // namespace

bool WriteRegistryScript(platform::IRegistryWriter& store, const std::string& modulePath) {
  bool ok = store.DeleteTree(FullKey(kReplacedWhole));
  for (const ScriptLine& line : kScript) {
    std::string key = FullKey(line.key);
    ok = (line.name ? store.SetValue(key, line.name, ValueOf(line.value, modulePath)) : store.CreateKey(key)) && ok;
  }
  return ok;
}

bool RemoveRegistryScript(platform::IRegistryWriter& store) {
  bool ok = true;
  for (const char* key : kOwnedKeys) ok = store.DeleteTree(FullKey(key)) && ok;
  return ok;
}

}  // namespace monitor

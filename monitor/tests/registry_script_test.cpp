// The module's registration entries, written to and removed from a real store file.
#include <gtest/gtest.h>

#include "monitor/registry_script.h"
#include "platform/store.h"
#include "testsupport/temp_folder.h"

namespace monitor {
namespace {

constexpr char kClassKey[] = "HKEY_CLASSES_ROOT\\CLSID\\{733B543D-B49E-4292-BC5D-B86E254EA671}";
constexpr char kModule[] = "/opt/qor/lib/libQorMonitor.so";

struct Expected {
  std::string key;
  std::string name;
  std::string value;
};

const Expected kEntries[] = {
    {"HKEY_CLASSES_ROOT\\QorMonitor.QorSpy.1", "", "QorSpy Class"},
    {"HKEY_CLASSES_ROOT\\QorMonitor.QorSpy.1\\CLSID", "", "{733B543D-B49E-4292-BC5D-B86E254EA671}"},
    {"HKEY_CLASSES_ROOT\\QorMonitor.QorSpy", "", "QorSpy Class"},
    {"HKEY_CLASSES_ROOT\\QorMonitor.QorSpy\\CLSID", "", "{733B543D-B49E-4292-BC5D-B86E254EA671}"},
    {"HKEY_CLASSES_ROOT\\QorMonitor.QorSpy\\CurVer", "", "QorMonitor.QorSpy.1"},
    {kClassKey, "", "QorSpy Class"},
    {std::string(kClassKey) + "\\ProgID", "", "QorMonitor.QorSpy.1"},
    {std::string(kClassKey) + "\\VersionIndependentProgID", "", "QorMonitor.QorSpy"},
    {std::string(kClassKey) + "\\InprocServer32", "", kModule},
    {std::string(kClassKey) + "\\InprocServer32", "ThreadingModel", "Apartment"},
    {std::string(kClassKey) + "\\TypeLib", "", "{D82238CD-88D6-474c-AFBC-1C2A23371F24}"},
    {"HKEY_CLASSES_ROOT\\TypeLib\\{D82238CD-88D6-474C-AFBC-1C2A23371F24}\\1.0", "", "QorMonitor 1.0 Type Library"},
    {"HKEY_CLASSES_ROOT\\TypeLib\\{D82238CD-88D6-474C-AFBC-1C2A23371F24}\\1.0\\HELPDIR", "", "/opt/qor/lib/"},
    {"HKEY_CLASSES_ROOT\\Interface\\{7A972797-D2F4-4A7D-9255-171C8178439A}", "", "IQorSpy"},
    {"HKEY_CLASSES_ROOT\\Interface\\{A70E6B09-8DF7-4052-96FF-7F789B195250}", "", "_IQorSpyEvents"},
};

TEST(RegistryScript, WritesEveryEntryOfTheClass) {
  testsupport::TempFolder temp;
  platform::Store store(temp / "registry");

  ASSERT_TRUE(WriteRegistryScript(store, kModule));

  for (const Expected& entry : kEntries) {
    SCOPED_TRACE(entry.key + " " + entry.name);
    EXPECT_EQ(entry.value, store.GetValue(entry.key, entry.name).value_or("<missing>"));
  }
  EXPECT_TRUE(store.KeyExists(std::string(kClassKey) + "\\Programmable"));
  EXPECT_FALSE(store.GetValue(std::string(kClassKey) + "\\Programmable", "").has_value());
}

TEST(RegistryScript, ReRegistrationReplacesTheClassKeyWhole) {
  testsupport::TempFolder temp;
  platform::Store store(temp / "registry");
  ASSERT_TRUE(WriteRegistryScript(store, "/old/place/libQorMonitor.so"));
  ASSERT_TRUE(store.SetValue(std::string(kClassKey) + "\\LocalServer32", "", "/old/place/stale"));

  ASSERT_TRUE(WriteRegistryScript(store, kModule));

  EXPECT_FALSE(store.KeyExists(std::string(kClassKey) + "\\LocalServer32"));
  EXPECT_EQ(kModule, store.GetValue(std::string(kClassKey) + "\\InprocServer32", "").value_or(""));
}

TEST(RegistryScript, UnregistrationRemovesTheEntriesAndKeepsWhatOthersShare) {
  testsupport::TempFolder temp;
  platform::Store store(temp / "registry");
  const std::string otherClass = "HKEY_CLASSES_ROOT\\CLSID\\{CECFC387-9207-40C5-892C-B43DD4F588C3}";
  ASSERT_TRUE(store.SetValue(otherClass, "", "QorMonitorSink Class"));
  ASSERT_TRUE(WriteRegistryScript(store, kModule));

  ASSERT_TRUE(RemoveRegistryScript(store));

  for (const Expected& entry : kEntries) {
    SCOPED_TRACE(entry.key);
    EXPECT_FALSE(store.KeyExists(entry.key));
  }
  EXPECT_TRUE(store.KeyExists("HKEY_CLASSES_ROOT\\CLSID"));
  EXPECT_EQ("QorMonitorSink Class", store.GetValue(otherClass, "").value_or(""));
  // Removing again finds nothing to remove and is no error.
  EXPECT_TRUE(RemoveRegistryScript(store));
}

}  // namespace
}  // namespace monitor

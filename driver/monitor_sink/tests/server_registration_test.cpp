#include "driver/monitor_sink/server_registration.h"

#include <gtest/gtest.h>

#include "platform/store.h"
#include "testsupport/temp_folder.h"

namespace {

using driver::FindServerSwitch;
using driver::ServerSwitch;

TEST(ServerSwitch, TextAfterADashOrSlashMustMatchToTheEnd) {
  const std::pair<std::vector<std::string>, ServerSwitch> cases[] = {
      {{}, ServerSwitch::kNone},
      {{"/RegServer"}, ServerSwitch::kRegister},
      {{"-regserver"}, ServerSwitch::kRegister},
      {{"/UNREGSERVER"}, ServerSwitch::kUnregister},
      {{"--headless", "-UnregServer"}, ServerSwitch::kUnregister},
      {{"/RegServer", "now"}, ServerSwitch::kNone},  // the text runs to the end of the line
      {{"RegServer"}, ServerSwitch::kNone},
      {{"--headless"}, ServerSwitch::kNone},
      {{"/tmp/RegServer"}, ServerSwitch::kRegister},  // "/RegServer" ends the line
  };
  for (const auto& [arguments, expected] : cases) {
    std::string line;
    for (const auto& a : arguments) line += a + " ";
    EXPECT_EQ(FindServerSwitch(arguments), expected) << line;
  }
}

TEST(ServerRegistration, WritesBothScriptsAndRemovesThemAgain) {
  testsupport::TempFolder folder;
  platform::Store store(folder / "registry");
  store.SetValue("HKEY_CLASSES_ROOT\\CLSID\\{CECFC387-9207-40C5-892C-B43DD4F588C3}\\Stale", "", "old");
  driver::RegisterDriverServer(store, "/opt/qor/QorDriver");
  const std::string clsid = "HKEY_CLASSES_ROOT\\CLSID\\{CECFC387-9207-40C5-892C-B43DD4F588C3}";
  EXPECT_EQ(store.GetValue("HKEY_CLASSES_ROOT\\AppID\\{D93A833A-7649-46D7-A14C-F2E07A695BD6}", ""), "QorDriver");
  EXPECT_EQ(store.GetValue("HKEY_CLASSES_ROOT\\AppID\\QorDriver.EXE", "AppID"), "{D93A833A-7649-46D7-A14C-F2E07A695BD6}");
  EXPECT_EQ(store.GetValue("HKEY_CLASSES_ROOT\\QorDriver.QorMonitorSink\\CurVer", ""), "QorDriver.QorMonitorSink.1");
  EXPECT_EQ(store.GetValue(clsid + "\\LocalServer32", ""), "/opt/qor/QorDriver");
  EXPECT_EQ(store.GetValue(clsid, "AppID"), "{CECFC389-9207-40C5-892C-B43DD4F588C3}");
  EXPECT_TRUE(store.KeyExists(clsid + "\\Programmable"));
  EXPECT_FALSE(store.KeyExists(clsid + "\\Stale"));  // the class key is replaced whole

  driver::UnregisterDriverServer(store);
  EXPECT_FALSE(store.KeyExists(clsid));
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\QorDriver.QorMonitorSink.1"));
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\AppID\\QorDriver.EXE"));
  EXPECT_TRUE(store.KeyExists("HKEY_CLASSES_ROOT\\CLSID"));
  EXPECT_TRUE(store.KeyExists("HKEY_CLASSES_ROOT\\AppID"));
}

}  // namespace

// The emulator as a control module: registration in the store and objects made by class id.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPluginLoader>
#include <filesystem>
#include <memory>

#include "control_api/fiscal_control_plugin.h"
#include "platform/component_module.h"
#include "platform/store.h"
#include "testsupport/temp_folder.h"

namespace emulator {
namespace {

const std::string kClassKey = std::string("HKEY_CLASSES_ROOT\\CLSID\\") + control_api::kFiscalControlClassId;

TEST(EmulatorModule, RegistersItselfAndMakesControlsWhoseBaseIsItsFolder) {
  testsupport::TempFolder folder;
  platform::Store store(folder / "registry");
  QPluginLoader loader(QString::fromUtf8(QOR_EMULATOR_MODULE_PATH));
  QObject* root = loader.instance();
  ASSERT_NE(nullptr, root) << loader.errorString().toStdString();
  auto* module = qobject_cast<platform::IComponentModule*>(root);
  ASSERT_NE(nullptr, module);

  EXPECT_EQ(platform::kSelfRegOk, module->DllRegisterServer(store, QOR_EMULATOR_MODULE_PATH));
  EXPECT_EQ(std::string("Qorctrl register emulator"), store.GetValue(kClassKey, "").value_or(""));
  EXPECT_EQ(std::string(QOR_EMULATOR_MODULE_PATH), store.GetValue(kClassKey + "\\InprocServer32", "").value_or(""));

  EXPECT_EQ(nullptr, module->CreateInstance("{00000000-0000-0000-0000-000000000000}"));
  std::unique_ptr<QObject> object(module->CreateInstance(control_api::kFiscalControlClassId));
  ASSERT_NE(nullptr, object);
  EXPECT_FALSE(module->DllCanUnloadNow());
  auto* control = qobject_cast<control_api::IFiscalControl*>(object.get());
  ASSERT_NE(nullptr, control);
  const std::string moduleFolder = std::filesystem::path(QOR_EMULATOR_MODULE_PATH).parent_path().string();
  EXPECT_EQ(moduleFolder + "/Reports", control->GetReportFolder());
  object.reset();
  EXPECT_TRUE(module->DllCanUnloadNow());

  EXPECT_EQ(platform::kSelfRegOk, module->DllUnregisterServer(store));
  EXPECT_FALSE(store.KeyExists(kClassKey + "\\InprocServer32"));
  EXPECT_TRUE(store.KeyExists(kClassKey));
}

}  // namespace
}  // namespace emulator

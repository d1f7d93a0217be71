// Creating QorSpy through its class id from a temporary store, with the real QorMonitor module.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QTest>

#include "monitor/qor_spy_interface.h"
#include "platform/component_loader.h"
#include "platform/component_module.h"
#include "platform/store.h"
#include "testsupport/temp_folder.h"

namespace platform {
namespace {

constexpr char kClassId[] = "{733B543D-B49E-4292-BC5D-B86E254EA671}";
constexpr char kOtherClassId[] = "{CECFC387-9207-40C5-892C-B43DD4F588C3}";

std::string InprocKey(const std::string& classId) { return "HKEY_CLASSES_ROOT\\CLSID\\" + classId + "\\InprocServer32"; }

// Registers the module through its own entry point, as qor-regsvr does.
void Register(Store& store) {
  std::string error;
  IComponentModule* module = LoadComponentModule(QOR_MONITOR_MODULE, error);
  ASSERT_NE(nullptr, module) << error;
  ASSERT_EQ(kSelfRegOk, module->DllRegisterServer(store, QOR_MONITOR_MODULE));
}

class NotifySink : public QObject {
  Q_OBJECT
 public:
  std::vector<std::pair<QByteArray, short>> m_Received;
 public slots:
  void OnNotify(QByteArray path, short type) { m_Received.emplace_back(path, type); }
};

TEST(ComponentLoader, CreatesAWorkingWatcherThroughTheRegisteredClassId) {
  testsupport::TempFolder temp;
  Store store(temp / "registry");
  Register(store);

  for (const char* classId : {kClassId, "{733b543d-b49e-4292-bc5d-b86e254ea671}"}) {
    SCOPED_TRACE(classId);
    ComponentResult result = LoadComponent(store, classId);
    ASSERT_EQ(ComponentStatus::kCreated, result.m_Status) << result.m_Error;
    auto* spy = qobject_cast<monitor::IQorSpy*>(result.m_Object.get());
    ASSERT_NE(nullptr, spy);

    NotifySink sink;
    ASSERT_TRUE(monitor::ConnectNotify(spy, &sink, SLOT(OnNotify(QByteArray,short))));
    spy->AddFolder(temp.Path());
    spy->put_Start(monitor::kVariantTrue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.m_Received.empty(); }, 20000));
    EXPECT_EQ(QByteArray::fromStdString(temp.Path()), sink.m_Received.front().first);
    EXPECT_EQ(monitor::kNotifyStarted, sink.m_Received.front().second);
    EXPECT_TRUE(monitor::DisconnectNotify(spy, &sink));
  }
}

TEST(ComponentLoader, TellsApartEveryWayCreationCanFail) {
  struct Row {
    const char* name;
    const char* classId;
    std::string registeredPath;  // empty: nothing registered
    ComponentStatus expected;
  };
  testsupport::TempFolder temp;
  testsupport::WriteFile(temp / "notes.so", "not a module");
  const Row kRows[] = {
      {"class id not registered", kClassId, "", ComponentStatus::kNotRegistered},
      {"registered file is no module", kClassId, temp / "notes.so", ComponentStatus::kModuleNotLoadable},
      {"registered file is missing", kClassId, temp / "missing.so", ComponentStatus::kModuleNotLoadable},
      {"module does not serve the class", kOtherClassId, QOR_MONITOR_MODULE, ComponentStatus::kClassNotAvailable},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    testsupport::TempFolder registry;
    Store store(registry / "registry");
    if (!row.registeredPath.empty()) {
      ASSERT_TRUE(store.SetValue(InprocKey(row.classId), "", row.registeredPath));
    }

    ComponentResult result = LoadComponent(store, row.classId);

    EXPECT_EQ(row.expected, result.m_Status);
    EXPECT_EQ(nullptr, result.m_Object);
    EXPECT_FALSE(result.m_Error.empty());
    EXPECT_EQ(row.registeredPath, result.m_ModulePath);
  }
}

TEST(ComponentLoader, RegisteredModuleFolderEndsWithASlash) {
  testsupport::TempFolder temp;
  Store store(temp / "registry");
  EXPECT_FALSE(RegisteredModuleFolder(store, kClassId).has_value());
  ASSERT_TRUE(store.SetValue(InprocKey(kClassId), "", "/opt/qor/bin/libQorMonitor.so"));
  EXPECT_EQ("/opt/qor/bin/libQorMonitor.so", RegisteredModulePath(store, kClassId).value_or(""));
  EXPECT_EQ("/opt/qor/bin/", RegisteredModuleFolder(store, kClassId).value_or(""));
}

}  // namespace
}  // namespace platform

#include "component_loader_test.moc"

#include "driver/monitor_sink/qor_monitor_sink.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "platform/component_loader.h"
#include "platform/component_module.h"
#include "testsupport/temp_folder.h"

namespace {

using driver::CQorMonitorSink;
using testsupport::TempFolder;
using testsupport::WriteFile;

class RecordingTarget : public driver::IFolderNotifyTarget {
 public:
  void OnFolderNotify(const std::string& path, short nType) override { calls.emplace_back(path, nType); }
  std::vector<std::pair<std::string, short>> calls;
};

// Runs the window thread's event loop until the condition holds (at most 5 s).
template <class Condition>
bool ProcessEventsUntil(Condition done) {
  QDeadlineTimer deadline(5000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class MonitorSink : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform::IComponentModule* module = platform::LoadComponentModule(QOR_MONITOR_MODULE, error);
    ASSERT_NE(module, nullptr) << error;
    ASSERT_EQ(module->DllRegisterServer(store, QOR_MONITOR_MODULE), platform::kSelfRegOk);
    platform::ComponentResult created = platform::LoadComponent(store, monitor::kQorSpyClassId);
    ASSERT_EQ(created.m_Status, platform::ComponentStatus::kCreated) << created.m_Error;
    spyObject = std::move(created.m_Object);
    spy = qobject_cast<monitor::IQorSpy*>(spyObject.get());
    ASSERT_NE(spy, nullptr);
    folder = base / "3";
    std::filesystem::create_directories(folder);
  }

  TempFolder base;
  platform::Store store{base / "registry"};
  std::unique_ptr<QObject> spyObject;
  monitor::IQorSpy* spy = nullptr;
  std::string folder;
  RecordingTarget target;
};

TEST_F(MonitorSink, ConnectedSinkHandsEveryNotificationToItsTarget) {
  CQorMonitorSink sink(store);
  short connected = 0;
  EXPECT_EQ(sink.ConnectSpy(spy, connected), driver::kSinkOk);
  EXPECT_EQ(connected, -1);
  EXPECT_NE(sink.Cookie(), driver::kSinkNotConnected);
  spy->AddFolder(folder);
  spy->put_Start(monitor::kVariantTrue);
  sink.SetTarget(&target);

  ASSERT_TRUE(ProcessEventsUntil([&] { return !target.calls.empty(); }));
  EXPECT_EQ(target.calls[0], std::make_pair(folder, short{0}));  // the start notification
  WriteFile(folder + "/t.txt", "8\n");
  ASSERT_TRUE(ProcessEventsUntil([&] {
    for (auto& call : target.calls)
      if (call.second == 2) return true;
    return false;
  }));
  for (auto& call : target.calls) EXPECT_EQ(call.first, folder);

  EXPECT_EQ(sink.DisconnectSpy(), driver::kSinkOk);
  EXPECT_EQ(sink.Cookie(), driver::kSinkNotConnected);
  std::size_t before = target.calls.size();
  WriteFile(folder + "/u.txt", "8\n");
  // Another sink still connected proves the watcher reported the change while this one stayed quiet.
  CQorMonitorSink witness(store);
  RecordingTarget witnessTarget;
  short witnessConnected = 0;
  witness.ConnectSpy(spy, witnessConnected);
  witness.SetTarget(&witnessTarget);
  WriteFile(folder + "/v.txt", "8\n");
  ASSERT_TRUE(ProcessEventsUntil([&] { return !witnessTarget.calls.empty(); }));
  EXPECT_EQ(target.calls.size(), before);
  spy->put_Start(monitor::kVariantFalse);
}

TEST_F(MonitorSink, WithoutTargetOrTypeLibraryNotificationsAreDropped) {
  CQorMonitorSink sink(store);
  short connected = 0;
  sink.ConnectSpy(spy, connected);
  spy->AddFolder(folder);
  spy->put_Start(monitor::kVariantTrue);
  RecordingTarget witnessTarget;
  CQorMonitorSink witness(store);
  short witnessConnected = 0;
  witness.ConnectSpy(spy, witnessConnected);
  witness.SetTarget(&witnessTarget);
  ASSERT_TRUE(ProcessEventsUntil([&] { return !witnessTarget.calls.empty(); }));  // no target: nothing happens

  platform::Store empty(base / "empty-registry");
  CQorMonitorSink blind(empty);
  RecordingTarget blindTarget;
  short blindConnected = 0;
  blind.ConnectSpy(spy, blindConnected);
  EXPECT_EQ(blindConnected, -1);  // the connection succeeds ...
  blind.SetTarget(&blindTarget);
  witnessTarget.calls.clear();
  WriteFile(folder + "/t.txt", "8\n");
  ASSERT_TRUE(ProcessEventsUntil([&] { return !witnessTarget.calls.empty(); }));
  EXPECT_TRUE(blindTarget.calls.empty());  // ... but without the type library nothing is delivered
  spy->put_Start(monitor::kVariantFalse);
}

TEST_F(MonitorSink, NoSourceIsAFailedConnection) {
  CQorMonitorSink sink(store);
  short connected = 5;
  EXPECT_EQ(sink.ConnectSpy(nullptr, connected), driver::kSinkOk);
  EXPECT_EQ(connected, 0);
  EXPECT_FALSE(sink.IsConnected());
  EXPECT_EQ(sink.DisconnectSpy(), driver::kSinkOk);
}

}  // namespace

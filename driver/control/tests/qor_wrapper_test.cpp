// CQor moves the control's events onto its window thread, keeps their order, and at Close releases a
// control thread that waits for the reply to a data question.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "driver/control/qor.h"
#include "driver/control/testing/control_rig.h"
#include "emulator/emulator_control.h"
#include "testsupport/plain_window_thread.h"
#include "testsupport/temp_folder.h"

namespace driver {
namespace {

// Records on which thread each event arrived, in order.
class CThreadRecordingSink final : public IFiscalControlEvents {
 public:
  void DirectIOEvent(std::int32_t, std::int32_t, const std::string&) override { Record("DirectIO"); }
  void OutputCompleteEvent(std::int32_t, std::int32_t, std::int32_t) override { Record("OutputComplete"); }
  void StatusUpdateEvent(std::int32_t, const std::string&) override { Record("Status"); }
  void RequestEvent(std::int32_t, std::int32_t, const std::string&, std::optional<std::string>&) override {}
  void DataEvent(std::int32_t, std::int32_t, const std::string& text, std::optional<std::string>& reply) override {
    Record("Data " + text);
    reply = "*";
  }
  void ReportSavedEvent(std::int32_t, std::int32_t, const std::string&) override { Record("ReportSaved"); }
  void HistorySavedEvent(std::int32_t, const std::string&) override { Record("HistorySaved"); }

  bool WaitForCount(std::size_t count) {
    std::unique_lock lock(m_Lock);
    return m_Changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_Names.size() >= count; });
  }
  std::vector<std::string> Names() {
    std::lock_guard guard(m_Lock);
    return m_Names;
  }
  std::vector<std::thread::id> Threads() {
    std::lock_guard guard(m_Lock);
    return m_Threads;
  }

 private:
  // Notifies under the lock, so the waiting test is ordered after the last use of the condition.
  void Record(const std::string& name) {
    std::lock_guard guard(m_Lock);
    m_Names.push_back(name);
    m_Threads.push_back(std::this_thread::get_id());
    m_Changed.notify_all();
  }
  std::mutex m_Lock;
  std::condition_variable m_Changed;
  std::vector<std::string> m_Names;
  std::vector<std::thread::id> m_Threads;
};

// CQor over the emulator with register 1, posting to a window thread of its own, with a recording sink.
class CQorOnWindowThread {
 public:
  CQorOnWindowThread() : m_Emulator(m_Base.Path()), m_Qor(std::make_unique<CQor>(m_Emulator, m_Window)) {
    testsupport::WriteFile(m_Base / "QorEmulator.ini", "[Registers]\n1=1\n");  // read at Open
    m_Window.Run([this] { m_Qor->SetEventSink(&m_Sink); });
    m_Window.Run([this] { m_WindowId = std::this_thread::get_id(); });
  }
  ~CQorOnWindowThread() {
    m_Qor->Close();
    m_Window.Stop();
    m_Qor.reset();
  }
  // Opens the control and waits for the register's first status.
  bool Open() { return m_Qor->Open("") == 0 && m_Sink.WaitForCount(1); }

  CQor& Qor() { return *m_Qor; }
  CThreadRecordingSink& Sink() { return m_Sink; }
  std::thread::id WindowId() const { return m_WindowId; }

 private:
  testsupport::TempFolder m_Base;
  emulator::CEmulatorControl m_Emulator;
  testsupport::CPlainWindowThread m_Window;
  CThreadRecordingSink m_Sink;
  std::unique_ptr<CQor> m_Qor;
  std::thread::id m_WindowId;
};

TEST(QorWrapper, EventsArriveOnTheWindowThreadInTheOrderTheyWereRaised) {
  CQorOnWindowThread rig;
  ASSERT_TRUE(rig.Open());
  ASSERT_EQ(0, rig.Qor().IODirect(1, "0;*2;+4;*G;*3;", 0));
  ASSERT_TRUE(rig.Sink().WaitForCount(6));
  EXPECT_EQ((std::vector<std::string>{"Status", "Status", "Status", "Data B81", "Status", "DirectIO"}), rig.Sink().Names());
  for (std::thread::id thread : rig.Sink().Threads()) EXPECT_EQ(rig.WindowId(), thread);
}

// Shutdown must not hang when the control waits for a reply that the busy window thread cannot give.
TEST(QorWrapper, CloseReleasesAQuestionWaitingForABusyWindowThread) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  CEcrContext& ecr = rig.Ecr(2);
  ecr.Events().Arm(DataQuestion::kDepartments, {"5:SWEETS::0:0::1:::::::"});
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto busy = std::async(std::launch::async, [&] {
    rig.RunOnWindowThread([&] {
      entered.set_value();
      released.wait();
    });
  });
  entered.get_future().wait();
  ASSERT_EQ(0, rig.Control().IODirect(2, "0;*2;+4;*F;*3;", 0));
  auto closing = std::async(std::launch::async, [&] { return rig.Control().Close(); });
  EXPECT_EQ(std::future_status::ready, closing.wait_for(std::chrono::seconds(10)));
  release.set_value();
  busy.wait();
  EXPECT_EQ(0, closing.get());
}

}  // namespace
}  // namespace driver

#pragma once
// CQor: the driver's wrapper of the fiscal control. It forwards every property and method to the
// wrapped control and moves every event of the control onto the window thread: events raised on that
// thread are handled at once, events from other threads are posted to it, in the order raised. The
// window thread handles them when it returns to its loop (it never pauses: nothing waits on it).
// DataEvent and RequestEvent need their reply before the control goes on, so off the window thread
// their caller waits for the posted handler; Close (or destruction) releases such a waiting caller
// with no reply, so a control that stops its own threads cannot wait on the window thread.
//
// Calls posted by the wrapper refer to it: it must outlive what it has posted, as a member of the
// window thread's owner does (the window thread drops what is still queued when it goes).

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "driver/control/fiscal_control.h"
#include "platform/window_thread.h"

namespace driver {

class CQor final : public IFiscalControl, private IFiscalControlEvents {
 public:
  CQor(IFiscalControl& control, platform::IWindowThread& windowThread);
  ~CQor() override;
  CQor(const CQor&) = delete;
  CQor& operator=(const CQor&) = delete;

  // The handler of the events, called on the window thread.
  void SetEventSink(IFiscalControlEvents* sink) override;

  void SetBooleanProperty(int dispid, bool value) override;
  bool GetBooleanProperty(int dispid) const override;
  std::string GetReportFolder() const override;
  void SetReportFolder(const std::string& folder) override;
  ControlStatus Open(const std::string& argument) override;
  ControlStatus Close() override;
  ControlStatus Write(std::int32_t ecr, std::int32_t mode, const std::string& element, std::int32_t& job) override;
  ControlStatus Request(std::int32_t ecr, std::int32_t code, std::string& text) override;
  ControlStatus IODirect(std::int32_t ecr, const std::string& command, std::int16_t argument) override;
  ControlStatus ClearOutput(std::int32_t ecr) override;
  ControlStatus BeginJob(std::int32_t ecr) override;
  ControlStatus EndJob(std::int32_t ecr) override;

 private:
  void DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) override;
  void OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) override;
  void StatusUpdateEvent(std::int32_t ecr, const std::string& status) override;
  void RequestEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                    std::optional<std::string>& reply) override;
  void DataEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                 std::optional<std::string>& reply) override;
  void ReportSavedEvent(std::int32_t ecr, std::int32_t n, const std::string& path) override;
  void HistorySavedEvent(std::int32_t ecr, const std::string& path) override;

  template <class Delivery>
  void Queue(Delivery delivery);
  // Runs ask (which fills the reply) on the window thread and waits for it, unless released by Close.
  template <class Ask>
  void AskForReply(Ask ask, std::optional<std::string>& reply);
  void ReleaseWaitingCallers();

  IFiscalControl& m_Control;
  platform::IWindowThread& m_WindowThread;
  IFiscalControlEvents* m_Sink = nullptr;  // touched on the window thread only
  std::atomic<bool> m_Closing{false};
  std::mutex m_ReplyLock;
  std::condition_variable m_ReplyReady;
};

}  // namespace driver

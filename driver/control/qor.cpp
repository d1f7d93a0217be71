#include "driver/control/qor.h"

#include <memory>

namespace driver {
namespace {

// One reply handed from the window thread to the control's thread.
struct CPendingReply {
  bool m_Done = false;
  std::optional<std::string> m_Reply;
};

}  // namespace

CQor::CQor(IFiscalControl& control, platform::IWindowThread& windowThread)
    : m_Control(control), m_WindowThread(windowThread) {
  m_Control.SetEventSink(this);
}

CQor::~CQor() {
  ReleaseWaitingCallers();
  m_Control.SetEventSink(nullptr);
}

void CQor::SetEventSink(IFiscalControlEvents* sink) { m_Sink = sink; }

void CQor::SetBooleanProperty(int dispid, bool value) { m_Control.SetBooleanProperty(dispid, value); }
bool CQor::GetBooleanProperty(int dispid) const { return m_Control.GetBooleanProperty(dispid); }
std::string CQor::GetReportFolder() const { return m_Control.GetReportFolder(); }
void CQor::SetReportFolder(const std::string& folder) { m_Control.SetReportFolder(folder); }

ControlStatus CQor::Open(const std::string& argument) {
  m_Closing = false;
  return m_Control.Open(argument);
}

ControlStatus CQor::Close() {
  ReleaseWaitingCallers();
  return m_Control.Close();
}

ControlStatus CQor::Write(std::int32_t ecr, std::int32_t mode, const std::string& element, std::int32_t& job) {
  return m_Control.Write(ecr, mode, element, job);
}
ControlStatus CQor::Request(std::int32_t ecr, std::int32_t code, std::string& text) {
  return m_Control.Request(ecr, code, text);
}
ControlStatus CQor::IODirect(std::int32_t ecr, const std::string& command, std::int16_t argument) {
  return m_Control.IODirect(ecr, command, argument);
}
ControlStatus CQor::ClearOutput(std::int32_t ecr) { return m_Control.ClearOutput(ecr); }
ControlStatus CQor::BeginJob(std::int32_t ecr) { return m_Control.BeginJob(ecr); }
ControlStatus CQor::EndJob(std::int32_t ecr) { return m_Control.EndJob(ecr); }

// Each event is its own posted call, so the window thread handles them in the order they were raised.
template <class Delivery>
void CQor::Queue(Delivery delivery) {
  if (m_WindowThread.IsCurrent()) {
    if (m_Sink != nullptr) delivery(*m_Sink);
    return;
  }
  m_WindowThread.Post([this, delivery] {
    if (m_Sink != nullptr) delivery(*m_Sink);
  });
}

template <class Ask>
void CQor::AskForReply(Ask ask, std::optional<std::string>& reply) {
  if (m_WindowThread.IsCurrent()) {
    if (m_Sink != nullptr) ask(*m_Sink, reply);
    return;
  }
  auto pending = std::make_shared<CPendingReply>();
  m_WindowThread.Post([this, ask, pending] {
    std::optional<std::string> answer;
    if (m_Sink != nullptr && !m_Closing.load()) ask(*m_Sink, answer);
    std::lock_guard guard(m_ReplyLock);
    pending->m_Reply = std::move(answer);
    pending->m_Done = true;
    m_ReplyReady.notify_all();
  });
  std::unique_lock lock(m_ReplyLock);
  m_ReplyReady.wait(lock, [&] { return pending->m_Done || m_Closing.load(); });
  reply = pending->m_Done ? pending->m_Reply : std::nullopt;
}

void CQor::ReleaseWaitingCallers() {
  {
    std::lock_guard guard(m_ReplyLock);
    m_Closing = true;
  }
  m_ReplyReady.notify_all();
}

void CQor::DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) {
  Queue([ecr, result, text](IFiscalControlEvents& sink) { sink.DirectIOEvent(ecr, result, text); });
}

void CQor::OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) {
  Queue([ecr, job, result](IFiscalControlEvents& sink) { sink.OutputCompleteEvent(ecr, job, result); });
}

void CQor::StatusUpdateEvent(std::int32_t ecr, const std::string& status) {
  Queue([ecr, status](IFiscalControlEvents& sink) { sink.StatusUpdateEvent(ecr, status); });
}

void CQor::RequestEvent(std::int32_t ecr, std::int32_t n, const std::string& text, std::optional<std::string>& reply) {
  AskForReply([ecr, n, text](IFiscalControlEvents& sink,
                             std::optional<std::string>& answer) { sink.RequestEvent(ecr, n, text, answer); },
              reply);
}

void CQor::DataEvent(std::int32_t ecr, std::int32_t n, const std::string& text, std::optional<std::string>& reply) {
  AskForReply([ecr, n, text](IFiscalControlEvents& sink,
                             std::optional<std::string>& answer) { sink.DataEvent(ecr, n, text, answer); },
              reply);
}

void CQor::ReportSavedEvent(std::int32_t ecr, std::int32_t n, const std::string& path) {
  Queue([ecr, n, path](IFiscalControlEvents& sink) { sink.ReportSavedEvent(ecr, n, path); });
}

void CQor::HistorySavedEvent(std::int32_t ecr, const std::string& path) {
  Queue([ecr, path](IFiscalControlEvents& sink) { sink.HistorySavedEvent(ecr, path); });
}

}  // namespace driver

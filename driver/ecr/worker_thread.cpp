#include "driver/ecr/worker_thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/debug_log.h"

namespace driver {
namespace {

// Windows' "highest" thread priority is two steps above normal: two nice steps here.
constexpr int kHighestNiceStep = 2;

std::atomic<std::uint64_t> g_NextSerial{1};

struct LiveWorkers {
  std::mutex m_Lock;
  std::condition_variable m_Changed;
  int m_Count = 0;
};

LiveWorkers& Live() {
  // Never destroyed: detached workers may still end while the process exits.
  static LiveWorkers* live = new LiveWorkers;
  return *live;
}

}  // namespace

CWorkerThread::CWorkerThread() : m_Serial(g_NextSerial.fetch_add(1)) {}

bool CWorkerThread::CreateSuspended() {
  {
    std::lock_guard guard(Live().m_Lock);
    ++Live().m_Count;
  }
  try {
    std::thread(&CWorkerThread::Entry, this).detach();
    return true;
  } catch (const std::system_error& error) {
    platform::DebugLog("CWorkerThread: no thread [%s]", error.what());
  }
  std::lock_guard guard(Live().m_Lock);
  --Live().m_Count;
  Live().m_Changed.notify_all();
  return false;
}

void CWorkerThread::SetPriority(ThreadPriority priority) {
  std::lock_guard guard(m_GateLock);
  m_Priority = priority;
}

void CWorkerThread::Resume() {
  std::lock_guard guard(m_GateLock);
  m_GateState = GateState::Run;
  m_Gate.notify_all();
}

void CWorkerThread::Discard() {
  std::lock_guard guard(m_GateLock);
  m_GateState = GateState::Discard;
  m_Gate.notify_all();
}

void CWorkerThread::ApplyPriority() {
  if (m_Priority == ThreadPriority::Normal) return;
  pid_t thread = static_cast<pid_t>(::syscall(SYS_gettid));
  errno = 0;
  int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
  if (errno == 0 && ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice - kHighestNiceStep) == 0) return;
  platform::DebugLog("CWorkerThread: highest priority not applied, errno %d", errno);
}

void CWorkerThread::Entry(CWorkerThread* self) {
  bool run = false;
  {
    std::unique_lock lock(self->m_GateLock);
    self->m_Gate.wait(lock, [self] { return self->m_GateState != GateState::Closed; });
    run = self->m_GateState == GateState::Run;
  }
  if (run) {
    self->ApplyPriority();
    self->Run();
  }
  delete self;
  std::lock_guard guard(Live().m_Lock);
  --Live().m_Count;
  Live().m_Changed.notify_all();
}

int CWorkerThread::LiveCount() {
  std::lock_guard guard(Live().m_Lock);
  return Live().m_Count;
}

bool CWorkerThread::WaitAllEnded(std::chrono::milliseconds limit) {
  std::unique_lock lock(Live().m_Lock);
  return Live().m_Changed.wait_for(lock, limit, [] { return Live().m_Count == 0; });
}

}  // namespace driver

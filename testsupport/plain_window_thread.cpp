#include "testsupport/plain_window_thread.h"

namespace testsupport {

CPlainWindowThread::CPlainWindowThread() : m_Thread([this] { Loop(); }), m_Id(m_Thread.get_id()) {}

CPlainWindowThread::~CPlainWindowThread() { Stop(); }

void CPlainWindowThread::Post(std::function<void()> call) {
  {
    std::lock_guard guard(m_Lock);
    if (m_Stopping) return;
    m_Calls.push_back(std::move(call));
  }
  m_Changed.notify_all();
}

void CPlainWindowThread::Run(const std::function<void()>& call) {
  if (IsCurrent()) {
    call();
    return;
  }
  std::mutex doneLock;
  std::condition_variable doneChanged;
  bool done = false;
  Post([&] {
    call();
    std::lock_guard guard(doneLock);
    done = true;
    doneChanged.notify_all();
  });
  std::unique_lock lock(doneLock);
  doneChanged.wait(lock, [&] { return done; });
}

void CPlainWindowThread::Stop() {
  {
    std::lock_guard guard(m_Lock);
    m_Stopping = true;
    m_Calls.clear();
  }
  m_Changed.notify_all();
  if (m_Thread.joinable()) m_Thread.join();
}

void CPlainWindowThread::Loop() {
  for (;;) {
    std::function<void()> call;
    {
      std::unique_lock lock(m_Lock);
      m_Changed.wait(lock, [this] { return m_Stopping || !m_Calls.empty(); });
      if (m_Stopping) return;
      call = std::move(m_Calls.front());
      m_Calls.pop_front();
    }
    call();
  }
}

}  // namespace testsupport

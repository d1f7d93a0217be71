#pragma once
// CPlainWindowThread: the window thread of a test, a plain thread that runs the posted calls one after
// the other, in the order they were posted.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/window_thread.h"

namespace testsupport {

class CPlainWindowThread final : public platform::IWindowThread {
 public:
  CPlainWindowThread();
  // Stop().
  ~CPlainWindowThread() override;
  CPlainWindowThread(const CPlainWindowThread&) = delete;
  CPlainWindowThread& operator=(const CPlainWindowThread&) = delete;

  void Post(std::function<void()> call) override;
  bool IsCurrent() const override { return std::this_thread::get_id() == m_Id; }

  // Runs the call on the window thread and returns once it has run; at once on the window thread.
  void Run(const std::function<void()>& call);
  // Lets the call that runs finish, drops the calls still queued and ends the thread; what the thread
  // did is then seen by the caller. Calls posted later are dropped.
  void Stop();

 private:
  void Loop();

  std::mutex m_Lock;
  std::condition_variable m_Changed;
  std::deque<std::function<void()>> m_Calls;
  bool m_Stopping = false;
  std::thread m_Thread;
  std::thread::id m_Id;
};

}  // namespace testsupport

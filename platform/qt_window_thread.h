#pragma once
// CQtWindowThread: the window thread of a program, the Qt event loop of the thread that makes this
// object. A posted call waits in a queue of our own under a standard mutex; the Qt event posted with
// it carries nothing and only wakes the loop, which then runs every queued call, oldest first, one at
// a time and outside the lock (a call may post the next). So the hand-over of each call is made by
// the standard library, where ThreadSanitizer sees it, even with a Qt that is not built for it.
// One wake-up per call, as one queued Qt call per message would be: a nested event loop (a message
// box) runs the calls posted while it is up.
//
// Header only: a component module uses it without linking anything of the system's own.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/window_thread.h"

namespace platform {

class CQtWindowThread final : public IWindowThread, private QObject {
 public:
  CQtWindowThread() : m_Thread(std::this_thread::get_id()) {}
  CQtWindowThread(const CQtWindowThread&) = delete;
  CQtWindowThread& operator=(const CQtWindowThread&) = delete;

  void Post(std::function<void()> call) override {
    {
      std::lock_guard guard(m_Lock);
      m_Calls.push_back(std::move(call));
    }
    QCoreApplication::postEvent(this, new QEvent(kWakeUp));
  }

  bool IsCurrent() const override { return std::this_thread::get_id() == m_Thread; }

 private:
  static constexpr QEvent::Type kWakeUp = QEvent::User;

  bool event(QEvent* event) override {
    if (event->type() != kWakeUp) return QObject::event(event);
    RunQueued();
    return true;
  }

  void RunQueued() {
    for (;;) {
      std::function<void()> call;
      {
        std::lock_guard guard(m_Lock);
        if (m_Calls.empty()) return;
        call = std::move(m_Calls.front());
        m_Calls.pop_front();
      }
      call();
    }
  }

  const std::thread::id m_Thread;
  std::mutex m_Lock;
  std::deque<std::function<void()>> m_Calls;
};

}  // namespace platform

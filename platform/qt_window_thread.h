#pragma once
// CQtWindowThread: the window thread of a program, the Qt event loop of the thread that makes this
// object. A posted call waits in a queue of our own under a standard mutex; the poster then wakes the
// loop through an eventfd that a socket notifier of the loop watches, and the loop runs every queued
// call, oldest first, one at a time and outside the lock (a call may post the next). A poster touches
// nothing of Qt's, so every hand-over is made by the standard library and the kernel, where
// ThreadSanitizer sees it even with a Qt that is not built for it. A nested event loop (a message box)
// runs the calls posted while it is up, as Qt's own queued calls would.
//
// Header only: a component module uses it without linking anything of the system's own.

#include <sys/eventfd.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/file_descriptor.h"
#include "platform/window_thread.h"

namespace platform {

class CQtWindowThread final : public IWindowThread {
 public:
  CQtWindowThread()
      : m_Thread(std::this_thread::get_id()),
        m_WakeUp(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
        m_Notifier(m_WakeUp.Get(), QSocketNotifier::Read) {
    QObject::connect(&m_Notifier, &QSocketNotifier::activated, [this] { RunQueued(); });
  }
  CQtWindowThread(const CQtWindowThread&) = delete;
  CQtWindowThread& operator=(const CQtWindowThread&) = delete;

  void Post(std::function<void()> call) override {
    {
      std::lock_guard guard(m_Lock);
      m_Calls.push_back(std::move(call));
    }
    const std::uint64_t one = 1;
    const ssize_t written = ::write(m_WakeUp.Get(), &one, sizeof one);
    (void)written;  // only a counter at its limit refuses, and then the loop is already woken
  }

  bool IsCurrent() const override { return std::this_thread::get_id() == m_Thread; }

 private:
  void RunQueued() {
    std::uint64_t count = 0;
    const ssize_t read = ::read(m_WakeUp.Get(), &count, sizeof count);
    (void)read;  // nothing to read: another run already took the wake-up
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
  platform::FileDescriptor m_WakeUp;  // closed after the notifier that watches it has gone
  QSocketNotifier m_Notifier;
  std::mutex m_Lock;
  std::deque<std::function<void()>> m_Calls;
};

}  // namespace platform

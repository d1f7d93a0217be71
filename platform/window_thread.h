#pragma once
// The window thread as the rest of the system reaches it: a call posted here runs on that thread,
// after the calls posted before it, once the thread is back in its loop. Posting never waits, so any
// thread may post at any time, the window thread itself included. The program's window thread is
// its Qt event loop (qt_window_thread.h); tests run one on a plain thread.

#include <functional>

namespace platform {

class IWindowThread {
 public:
  virtual ~IWindowThread() = default;
  // Queues the call and returns at once. Calls still queued when the window thread goes are dropped.
  virtual void Post(std::function<void()> call) = 0;
  // True on the window thread itself.
  virtual bool IsCurrent() const = 0;
};

}  // namespace platform

#pragma once
// A thread that is created suspended, can be given a priority, runs one entry function once resumed
// and then deletes its own object. Only the creator touches the object before Resume(); afterwards
// it belongs to its thread and may be gone at any moment.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace driver {

enum class ThreadPriority { Normal, Highest };

class CWorkerThread {
 public:
  CWorkerThread();
  virtual ~CWorkerThread() = default;
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Starts the thread held at its start gate; false when no thread can be created (the object is
  // then still the caller's to delete). Call at most once, on an object made with new.
  bool CreateSuspended();
  // Applied by the thread itself when it starts running; without the right to raise it only logged.
  void SetPriority(ThreadPriority priority);
  // Opens the start gate: the thread runs Run() and deletes the object.
  void Resume();
  // Opens the start gate without running: the thread ends at once and deletes the object.
  void Discard();

  // A number no other worker of this process gets, to tell a finished worker from a new one that
  // happens to reuse its address.
  std::uint64_t Serial() const { return m_Serial; }

  // Worker threads created and not yet ended, and a bounded wait until there are none (shutdown).
  static int LiveCount();
  static bool WaitAllEnded(std::chrono::milliseconds limit);

 protected:
  // The thread's entry; its result is the thread's exit code.
  virtual int Run() = 0;

 private:
  static void Entry(CWorkerThread* self);
  void ApplyPriority();

  const std::uint64_t m_Serial;
  std::mutex m_GateLock;
  std::condition_variable m_Gate;
  enum class GateState { Closed, Run, Discard } m_GateState = GateState::Closed;
  ThreadPriority m_Priority = ThreadPriority::Normal;
};

}  // namespace driver

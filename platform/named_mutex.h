#pragma once
// Named mutexes with thread ownership, recursion, abandonment and a wait on several mutexes at once.
//
// A mutex is owned by one thread at a time and counts the waits of its owner; each wait needs one
// release. A thread that ends while it owns a mutex abandons it: the next wait that takes it reports
// kWaitAbandoned0 + index. A wait on several mutexes takes the first one (lowest index) that the
// calling thread can acquire and leaves the others untouched.
//
// A free mutex goes to its waiters first come, first served: each wait joins the mutex's line when it
// begins, or earlier through a MutexPlace reserved beforehand (by the thread that starts the waiting
// one, so that jobs take the mutex in the order they were started, whatever order their threads
// happen to run in).
//
// Names live in one namespace per process. A mutex created with MutexSharing::AcrossProcesses also
// holds an open-file-description lock on a file named after it while some thread of this process
// owns it, so two processes never own it at the same time. A process that dies drops its lock, and
// the mutex is simply free again, as a Windows mutex vanishes with the last process that had it open;
// abandonment is reported only to waits of the process whose thread abandoned it.

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace platform {

inline constexpr std::uint32_t kWaitObject0 = 0x0;
inline constexpr std::uint32_t kWaitAbandoned0 = 0x80;
inline constexpr std::uint32_t kWaitTimeout = 0x102;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

enum class MutexSharing { ProcessLocal, AcrossProcesses };

class NamedMutex;
class MutexPlace;

struct CreatedMutex {
  std::shared_ptr<NamedMutex> m_Mutex;
  bool m_AlreadyExists = false;  // the name existed: initialOwner was ignored
};

class NamedMutex : public std::enable_shared_from_this<NamedMutex> {
 public:
  // Opens the mutex of that name, or makes it (owned by the calling thread when initialOwner is set).
  // An empty name always makes a new, unnamed mutex.
  static CreatedMutex Create(const std::string& name, bool initialOwner,
                             MutexSharing sharing = MutexSharing::ProcessLocal);

  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Gives back one wait of the calling thread; false when the calling thread does not own the mutex.
  bool Release();

  // Waits for this mutex alone; no timeout waits without limit.
  std::uint32_t Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt);

  // Joins the line of waiters now, for a wait that begins later, on any thread.
  MutexPlace ReservePlace();

  const std::string& Name() const { return m_Name; }

 private:
  friend class MutexRegistry;
  NamedMutex(std::string name, MutexSharing sharing);

  std::string m_Name;
  MutexSharing m_Sharing;
  int m_LockFile = -1;  // AcrossProcesses only; -1 when the lock file could not be opened
  bool m_FileLocked = false;
  std::uint64_t m_Owner = 0;  // thread token, 0 = none
  std::uint32_t m_Count = 0;
  bool m_Abandoned = false;
  std::deque<std::uint64_t> m_Line;  // waits and reserved places, first come first
};

// A place in a mutex's line of waiters, from its reservation until a wait uses it or it is destroyed.
// A reserved place that no wait uses holds back every waiter behind it, so it must be destroyed (or
// used) once it is clear that no wait will come.
class MutexPlace {
 public:
  MutexPlace() = default;
  ~MutexPlace();
  MutexPlace(MutexPlace&& other) noexcept;
  MutexPlace& operator=(MutexPlace&& other) noexcept;

  bool Reserved() const { return m_Id != 0; }

 private:
  friend class MutexRegistry;
  std::shared_ptr<NamedMutex> m_Mutex;
  std::uint64_t m_Id = 0;  // 0 = none, or already used by a wait
};

// Waits until one of the mutexes can be taken by the calling thread: returns kWaitObject0 + i or
// kWaitAbandoned0 + i for the lowest such index i, kWaitTimeout when the timeout passed first, and
// kWaitFailed for an empty list or a null entry. No timeout waits without limit. A place reserved in
// the line of one of the mutexes is used for it (and is used up, whatever the outcome); for the others
// the wait joins their lines as it begins.
std::uint32_t WaitForAnyMutex(std::span<NamedMutex* const> mutexes,
                              std::optional<std::chrono::milliseconds> timeout, MutexPlace* place = nullptr);

// The calling thread's identity for mutex ownership; unique for the life of the process, never reused.
std::uint64_t CurrentThreadToken();

}  // namespace platform

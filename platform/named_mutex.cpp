#include "platform/named_mutex.h"

// How it works: one registry per process holds a single lock and condition variable for every named
// mutex, and the map from names to live mutexes. A waiter joins the line of each of its mutexes, scans
// them in order under the lock and sleeps on the condition variable when none can be taken; a free
// mutex goes only to the first in its line. Every release, every abandonment and every waiter leaving
// a line wakes all waiters to scan again. A mutex shared across processes adds its lock file to "can
// be taken"; while another process holds that file the waiter also wakes every kForeignPoll to retry,
// because the kernel does not tell us when a lock of another process goes away.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/debug_log.h"
#include "platform/mutex_lock_file.h"

namespace platform {
namespace {

constexpr std::chrono::milliseconds kForeignPoll{25};

std::atomic<std::uint64_t> g_NextThreadToken{1};

// The mutexes the current thread owns; at thread end each of them is abandoned.
struct OwnedMutexes {
  std::vector<std::shared_ptr<NamedMutex>> m_Mutexes;
  ~OwnedMutexes();
};

thread_local OwnedMutexes t_Owned;

}  // namespace

class MutexRegistry {
 public:
  static MutexRegistry& Get() {
    // Never destroyed: threads may still end (and abandon mutexes) while the process exits.
    static MutexRegistry* registry = new MutexRegistry;
    return *registry;
  }

  CreatedMutex Create(const std::string& name, bool initialOwner, MutexSharing sharing);
  void Forget(NamedMutex* mutex);
  bool Release(NamedMutex* mutex);
  std::uint32_t WaitAny(std::span<NamedMutex* const> mutexes,
                        std::optional<std::chrono::steady_clock::time_point> deadline, MutexPlace* place);
  void AbandonAll(std::vector<std::shared_ptr<NamedMutex>>& owned);
  MutexPlace Reserve(NamedMutex& mutex);
  void Drop(MutexPlace& place);

 private:
  enum class TryResult { Taken, TakenAbandoned, Busy, BusyElsewhere };
  TryResult TryTake(NamedMutex& mutex, std::uint64_t me, std::uint64_t place);
  void DropOwnership(NamedMutex& mutex);
  std::vector<std::uint64_t> JoinLines(std::span<NamedMutex* const> mutexes, MutexPlace* place);
  static void LeaveLine(NamedMutex& mutex, std::uint64_t place);

  std::mutex m_Lock;
  std::condition_variable m_Changed;
  std::map<std::string, std::weak_ptr<NamedMutex>> m_Names;
  std::uint64_t m_NextPlace = 1;
};

namespace {
OwnedMutexes::~OwnedMutexes() { MutexRegistry::Get().AbandonAll(m_Mutexes); }
}  // namespace

std::uint64_t CurrentThreadToken() {
  thread_local const std::uint64_t token = g_NextThreadToken.fetch_add(1);
  return token;
}

CreatedMutex MutexRegistry::Create(const std::string& name, bool initialOwner, MutexSharing sharing) {
  std::unique_lock lock(m_Lock);
  if (!name.empty()) {
    auto found = m_Names.find(name);
    if (found != m_Names.end()) {
      if (std::shared_ptr<NamedMutex> existing = found->second.lock()) return {existing, true};
    }
  }
  std::shared_ptr<NamedMutex> made(new NamedMutex(name, sharing));
  if (!name.empty()) m_Names[name] = made;
  if (!initialOwner) return {made, false};
  // Shared mutexes are only owned at creation when no other process holds them; one that does
  // already exists, so initialOwner is ignored as for any existing name.
  TryResult taken = TryTake(*made, CurrentThreadToken(), 0);
  return {made, taken == TryResult::BusyElsewhere};
}

void MutexRegistry::Forget(NamedMutex* mutex) {
  std::lock_guard lock(m_Lock);
  auto found = m_Names.find(mutex->m_Name);
  if (found != m_Names.end() && found->second.expired()) m_Names.erase(found);
}

// A free mutex goes to the first of its line; its owner takes it again at any time.
MutexRegistry::TryResult MutexRegistry::TryTake(NamedMutex& mutex, std::uint64_t me, std::uint64_t place) {
  if (mutex.m_Count > 0) {
    if (mutex.m_Owner != me) return TryResult::Busy;
    ++mutex.m_Count;
    return TryResult::Taken;
  }
  if (!mutex.m_Line.empty() && mutex.m_Line.front() != place) return TryResult::Busy;
  if (mutex.m_LockFile >= 0) {
    LockFileTry file = TryLockMutexFile(mutex.m_LockFile);
    if (file == LockFileTry::HeldElsewhere) return TryResult::BusyElsewhere;
    if (file == LockFileTry::TakenAfterDeadOwner)
      DebugLog("NamedMutex: [%s] was held by a process that ended; it is free", mutex.m_Name.c_str());
    mutex.m_FileLocked = file != LockFileTry::Failed;
  }
  mutex.m_Owner = me;
  mutex.m_Count = 1;
  t_Owned.m_Mutexes.push_back(mutex.shared_from_this());
  bool abandoned = mutex.m_Abandoned;
  mutex.m_Abandoned = false;
  return abandoned ? TryResult::TakenAbandoned : TryResult::Taken;
}

// The lock file is let go of in both cases: a thread's abandonment is told to this process's next
// owner through m_Abandoned, and no other process has to learn of it.
void MutexRegistry::DropOwnership(NamedMutex& mutex) {
  mutex.m_Owner = 0;
  mutex.m_Count = 0;
  if (mutex.m_FileLocked) UnlockMutexFile(mutex.m_LockFile);
  mutex.m_FileLocked = false;
}

bool MutexRegistry::Release(NamedMutex* mutex) {
  std::shared_ptr<NamedMutex> dropped;  // released after the lock: it may be the last reference
  {
    std::lock_guard lock(m_Lock);
    if (mutex->m_Count == 0 || mutex->m_Owner != CurrentThreadToken()) return false;
    if (--mutex->m_Count > 0) return true;
    DropOwnership(*mutex);
    auto& owned = t_Owned.m_Mutexes;
    for (auto it = owned.begin(); it != owned.end(); ++it) {
      if (it->get() == mutex) {
        dropped = std::move(*it);
        owned.erase(it);
        break;
      }
    }
  }
  m_Changed.notify_all();
  return true;
}

// The place of each mutex in its line: the reserved one where it belongs, a new one elsewhere.
std::vector<std::uint64_t> MutexRegistry::JoinLines(std::span<NamedMutex* const> mutexes, MutexPlace* place) {
  std::vector<std::uint64_t> places;
  for (NamedMutex* mutex : mutexes) {
    if (place != nullptr && place->m_Id != 0 && place->m_Mutex.get() == mutex) {
      places.push_back(std::exchange(place->m_Id, 0));
      continue;
    }
    places.push_back(m_NextPlace++);
    mutex->m_Line.push_back(places.back());
  }
  if (place != nullptr && place->m_Id != 0) LeaveLine(*place->m_Mutex, std::exchange(place->m_Id, 0));
  return places;
}

void MutexRegistry::LeaveLine(NamedMutex& mutex, std::uint64_t place) {
  auto found = std::find(mutex.m_Line.begin(), mutex.m_Line.end(), place);
  if (found != mutex.m_Line.end()) mutex.m_Line.erase(found);
}

std::uint32_t MutexRegistry::WaitAny(std::span<NamedMutex* const> mutexes,
                                     std::optional<std::chrono::steady_clock::time_point> deadline,
                                     MutexPlace* place) {
  if (mutexes.empty()) return kWaitFailed;
  for (NamedMutex* mutex : mutexes) {
    if (mutex == nullptr) return kWaitFailed;
  }
  const std::uint64_t me = CurrentThreadToken();
  std::unique_lock lock(m_Lock);
  const std::vector<std::uint64_t> places = JoinLines(mutexes, place);
  std::uint32_t result = kWaitTimeout;
  for (bool decided = false; !decided;) {
    bool heldElsewhere = false;
    for (std::size_t i = 0; i < mutexes.size() && !decided; ++i) {
      TryResult tried = TryTake(*mutexes[i], me, places[i]);
      decided = tried == TryResult::Taken || tried == TryResult::TakenAbandoned;
      if (decided) result = (tried == TryResult::Taken ? kWaitObject0 : kWaitAbandoned0) + static_cast<std::uint32_t>(i);
      heldElsewhere = heldElsewhere || tried == TryResult::BusyElsewhere;
    }
    auto now = std::chrono::steady_clock::now();
    if (decided || (deadline && now >= *deadline)) break;
    if (heldElsewhere) {
      auto retry = now + kForeignPoll;
      m_Changed.wait_until(lock, deadline ? std::min(retry, *deadline) : retry);
    } else if (deadline) {
      m_Changed.wait_until(lock, *deadline);
    } else {
      m_Changed.wait(lock);
    }
  }
  for (std::size_t i = 0; i < mutexes.size(); ++i) LeaveLine(*mutexes[i], places[i]);
  lock.unlock();
  // Whoever stood behind this wait may be first now.
  m_Changed.notify_all();
  return result;
}

void MutexRegistry::AbandonAll(std::vector<std::shared_ptr<NamedMutex>>& owned) {
  std::vector<std::shared_ptr<NamedMutex>> dropped;
  {
    std::lock_guard lock(m_Lock);
    dropped.swap(owned);
    for (auto& mutex : dropped) {
      DropOwnership(*mutex);
      mutex->m_Abandoned = true;
    }
  }
  if (!dropped.empty()) m_Changed.notify_all();
}

MutexPlace MutexRegistry::Reserve(NamedMutex& mutex) {
  MutexPlace place;
  place.m_Mutex = mutex.shared_from_this();
  std::lock_guard lock(m_Lock);
  place.m_Id = m_NextPlace++;
  mutex.m_Line.push_back(place.m_Id);
  return place;
}

void MutexRegistry::Drop(MutexPlace& place) {
  if (place.m_Mutex == nullptr) return;
  {
    std::lock_guard lock(m_Lock);
    if (place.m_Id != 0) LeaveLine(*place.m_Mutex, std::exchange(place.m_Id, 0));
  }
  m_Changed.notify_all();
  place.m_Mutex.reset();  // outside the lock: it may be the last reference
}

NamedMutex::NamedMutex(std::string name, MutexSharing sharing) : m_Name(std::move(name)), m_Sharing(sharing) {
  if (m_Sharing == MutexSharing::AcrossProcesses && !m_Name.empty()) {
    m_LockFile = OpenMutexLockFile(m_Name);
    if (m_LockFile < 0) DebugLog("NamedMutex: [%s] is shared only inside this process", m_Name.c_str());
  }
}

NamedMutex::~NamedMutex() {
  if (m_LockFile >= 0) ::close(m_LockFile);
  MutexRegistry::Get().Forget(this);
}

CreatedMutex NamedMutex::Create(const std::string& name, bool initialOwner, MutexSharing sharing) {
  return MutexRegistry::Get().Create(name, initialOwner, sharing);
}

bool NamedMutex::Release() { return MutexRegistry::Get().Release(this); }

std::uint32_t NamedMutex::Wait(std::optional<std::chrono::milliseconds> timeout) {
  NamedMutex* self = this;
  return WaitForAnyMutex(std::span<NamedMutex* const>(&self, 1), timeout);
}

MutexPlace NamedMutex::ReservePlace() { return MutexRegistry::Get().Reserve(*this); }

MutexPlace::~MutexPlace() { MutexRegistry::Get().Drop(*this); }

MutexPlace::MutexPlace(MutexPlace&& other) noexcept
    : m_Mutex(std::move(other.m_Mutex)), m_Id(std::exchange(other.m_Id, 0)) {}

MutexPlace& MutexPlace::operator=(MutexPlace&& other) noexcept {
  if (this != &other) {
    MutexRegistry::Get().Drop(*this);
    m_Mutex = std::move(other.m_Mutex);
    m_Id = std::exchange(other.m_Id, 0);
  }
  return *this;
}

std::uint32_t WaitForAnyMutex(std::span<NamedMutex* const> mutexes,
                              std::optional<std::chrono::milliseconds> timeout, MutexPlace* place) {
  std::optional<std::chrono::steady_clock::time_point> deadline;
  if (timeout) deadline = std::chrono::steady_clock::now() + *timeout;
  return MutexRegistry::Get().WaitAny(mutexes, deadline, place);
}

}  // namespace platform

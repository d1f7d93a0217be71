#include "platform/named_mutex.h"

// How it works: one registry per process holds a single lock and condition variable for every named
// mutex, and the map from names to live mutexes. A waiter scans its mutexes in order under the lock
// and sleeps on the condition variable when none can be taken; every release and every abandonment
// wakes all waiters to scan again. A mutex shared across processes adds its lock file to "can be
// taken"; while another process holds that file the waiter also wakes every kForeignPoll to retry,
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
                        std::optional<std::chrono::steady_clock::time_point> deadline);
  void AbandonAll(std::vector<std::shared_ptr<NamedMutex>>& owned);

 private:
  enum class TryResult { Taken, TakenAbandoned, Busy, BusyElsewhere };
  TryResult TryTake(NamedMutex& mutex, std::uint64_t me);
  void DropOwnership(NamedMutex& mutex, HeldMark mark);

  std::mutex m_Lock;
  std::condition_variable m_Changed;
  std::map<std::string, std::weak_ptr<NamedMutex>> m_Names;
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
  TryResult taken = TryTake(*made, CurrentThreadToken());
  return {made, taken == TryResult::BusyElsewhere};
}

void MutexRegistry::Forget(NamedMutex* mutex) {
  std::lock_guard lock(m_Lock);
  auto found = m_Names.find(mutex->m_Name);
  if (found != m_Names.end() && found->second.expired()) m_Names.erase(found);
}

MutexRegistry::TryResult MutexRegistry::TryTake(NamedMutex& mutex, std::uint64_t me) {
  if (mutex.m_Count > 0) {
    if (mutex.m_Owner != me) return TryResult::Busy;
    ++mutex.m_Count;
    return TryResult::Taken;
  }
  bool abandonedElsewhere = false;
  if (mutex.m_LockFile >= 0) {
    LockFileTry file = TryLockMutexFile(mutex.m_LockFile);
    if (file == LockFileTry::HeldElsewhere) return TryResult::BusyElsewhere;
    mutex.m_FileLocked = file != LockFileTry::Failed;
    abandonedElsewhere = file == LockFileTry::TakenAbandoned;
  }
  mutex.m_Owner = me;
  mutex.m_Count = 1;
  t_Owned.m_Mutexes.push_back(mutex.shared_from_this());
  bool abandoned = mutex.m_Abandoned || abandonedElsewhere;
  mutex.m_Abandoned = false;
  return abandoned ? TryResult::TakenAbandoned : TryResult::Taken;
}

void MutexRegistry::DropOwnership(NamedMutex& mutex, HeldMark mark) {
  mutex.m_Owner = 0;
  mutex.m_Count = 0;
  if (mutex.m_FileLocked) UnlockMutexFile(mutex.m_LockFile, mark);
  mutex.m_FileLocked = false;
}

bool MutexRegistry::Release(NamedMutex* mutex) {
  std::shared_ptr<NamedMutex> dropped;  // released after the lock: it may be the last reference
  {
    std::lock_guard lock(m_Lock);
    if (mutex->m_Count == 0 || mutex->m_Owner != CurrentThreadToken()) return false;
    if (--mutex->m_Count > 0) return true;
    DropOwnership(*mutex, HeldMark::Clear);
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

std::uint32_t MutexRegistry::WaitAny(std::span<NamedMutex* const> mutexes,
                                     std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (mutexes.empty()) return kWaitFailed;
  for (NamedMutex* mutex : mutexes) {
    if (mutex == nullptr) return kWaitFailed;
  }
  const std::uint64_t me = CurrentThreadToken();
  std::unique_lock lock(m_Lock);
  for (;;) {
    bool heldElsewhere = false;
    for (std::size_t i = 0; i < mutexes.size(); ++i) {
      TryResult result = TryTake(*mutexes[i], me);
      if (result == TryResult::Taken) return kWaitObject0 + static_cast<std::uint32_t>(i);
      if (result == TryResult::TakenAbandoned) return kWaitAbandoned0 + static_cast<std::uint32_t>(i);
      heldElsewhere = heldElsewhere || result == TryResult::BusyElsewhere;
    }
    auto now = std::chrono::steady_clock::now();
    if (deadline && now >= *deadline) return kWaitTimeout;
    if (heldElsewhere) {
      auto retry = now + kForeignPoll;
      m_Changed.wait_until(lock, deadline ? std::min(retry, *deadline) : retry);
    } else if (deadline) {
      m_Changed.wait_until(lock, *deadline);
    } else {
      m_Changed.wait(lock);
    }
  }
}

void MutexRegistry::AbandonAll(std::vector<std::shared_ptr<NamedMutex>>& owned) {
  std::vector<std::shared_ptr<NamedMutex>> dropped;
  {
    std::lock_guard lock(m_Lock);
    dropped.swap(owned);
    for (auto& mutex : dropped) {
      DropOwnership(*mutex, HeldMark::Keep);
      mutex->m_Abandoned = true;
    }
  }
  if (!dropped.empty()) m_Changed.notify_all();
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

std::uint32_t WaitForAnyMutex(std::span<NamedMutex* const> mutexes,
                              std::optional<std::chrono::milliseconds> timeout) {
  std::optional<std::chrono::steady_clock::time_point> deadline;
  if (timeout) deadline = std::chrono::steady_clock::now() + *timeout;
  return MutexRegistry::Get().WaitAny(mutexes, deadline);
}

}  // namespace platform

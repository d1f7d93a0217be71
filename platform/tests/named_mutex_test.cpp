#include "platform/named_mutex.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/temp_folder.h"

extern char** environ;

namespace {

using platform::kWaitAbandoned0;
using platform::kWaitObject0;
using platform::kWaitTimeout;
using platform::MutexSharing;
using platform::NamedMutex;
using std::chrono::milliseconds;

constexpr milliseconds kGenerous{10000};

std::string UniqueName(const std::string& stem) {
  static std::atomic<int> counter{0};
  return stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

std::shared_ptr<NamedMutex> Make(const std::string& name, bool owned = false,
                                 MutexSharing sharing = MutexSharing::ProcessLocal) {
  return NamedMutex::Create(name, owned, sharing).m_Mutex;
}

// Runs body on a thread of its own and returns its result; the thread has ended when this returns.
template <class Body>
auto OnOtherThread(Body body) {
  auto task = std::async(std::launch::async, body);
  return task.get();
}

std::uint32_t WaitAny(std::initializer_list<NamedMutex*> mutexes, std::optional<milliseconds> timeout) {
  std::vector<NamedMutex*> list(mutexes);
  return platform::WaitForAnyMutex(list, timeout);
}

TEST(NamedMutex, OwnerWaitsRecursivelyAndNeedsOneReleasePerWait) {
  auto mutex = Make(UniqueName("recursion"));
  ASSERT_EQ(mutex->Wait(milliseconds(0)), kWaitObject0);
  ASSERT_EQ(mutex->Wait(milliseconds(0)), kWaitObject0);
  EXPECT_EQ(OnOtherThread([&] { return mutex->Wait(milliseconds(0)); }), kWaitTimeout);
  EXPECT_TRUE(mutex->Release());
  EXPECT_EQ(OnOtherThread([&] { return mutex->Wait(milliseconds(0)); }), kWaitTimeout);
  EXPECT_TRUE(mutex->Release());
  EXPECT_FALSE(mutex->Release());
  EXPECT_EQ(OnOtherThread([&] {
              std::uint32_t result = mutex->Wait(milliseconds(0));
              mutex->Release();
              return result;
            }),
            kWaitObject0);
}

TEST(NamedMutex, ReleaseByAThreadThatDoesNotOwnItFails) {
  auto mutex = Make(UniqueName("not-owner"), true);
  EXPECT_FALSE(OnOtherThread([&] { return mutex->Release(); }));
  EXPECT_TRUE(mutex->Release());
  EXPECT_FALSE(OnOtherThread([&] { return mutex->Release(); }));
}

TEST(NamedMutex, CreatingAnExistingNameIgnoresInitialOwner) {
  std::string name = UniqueName("exists");
  auto first = NamedMutex::Create(name, false);
  EXPECT_FALSE(first.m_AlreadyExists);
  auto second = NamedMutex::Create(name, true);
  EXPECT_TRUE(second.m_AlreadyExists);
  EXPECT_EQ(second.m_Mutex, first.m_Mutex);
  EXPECT_FALSE(second.m_Mutex->Release()) << "the creating thread must not own it";
  EXPECT_EQ(OnOtherThread([&] {
              std::uint32_t result = first.m_Mutex->Wait(milliseconds(0));
              first.m_Mutex->Release();
              return result;
            }),
            kWaitObject0);
  auto unnamedA = NamedMutex::Create("", true);
  auto unnamedB = NamedMutex::Create("", true);
  EXPECT_FALSE(unnamedB.m_AlreadyExists);
  EXPECT_NE(unnamedA.m_Mutex, unnamedB.m_Mutex);
  EXPECT_TRUE(unnamedA.m_Mutex->Release());
  EXPECT_TRUE(unnamedB.m_Mutex->Release());
}

TEST(NamedMutex, WaitForAnyTakesTheLowestIndexThatIsFree) {
  auto job = Make(UniqueName("job"));
  auto stop = Make(UniqueName("stop"));
  struct Case {
    bool jobHeldElsewhere;
    bool stopHeldElsewhere;
    std::uint32_t expected;
  } cases[] = {
      {false, false, kWaitObject0},
      {true, false, kWaitObject0 + 1},
      {false, true, kWaitObject0},
      {true, true, kWaitTimeout},
  };
  for (const Case& c : cases) {
    std::promise<void> held, done;
    std::thread holder([&] {
      if (c.jobHeldElsewhere) job->Wait();
      if (c.stopHeldElsewhere) stop->Wait();
      held.set_value();
      done.get_future().wait();
      if (c.jobHeldElsewhere) job->Release();
      if (c.stopHeldElsewhere) stop->Release();
    });
    held.get_future().wait();
    std::uint32_t result = WaitAny({job.get(), stop.get()}, milliseconds(0));
    EXPECT_EQ(result, c.expected) << c.jobHeldElsewhere << c.stopHeldElsewhere;
    // The mutex not returned is left untouched: only the winner needs a release.
    if (result == kWaitObject0) {
      EXPECT_TRUE(job->Release());
    }
    if (result == kWaitObject0 + 1) {
      EXPECT_TRUE(stop->Release());
    }
    EXPECT_FALSE(job->Release());
    EXPECT_FALSE(stop->Release());
    done.set_value();
    holder.join();
  }
}

TEST(NamedMutex, ThreadEndingWhileOwningAbandonsEveryMutexItOwns) {
  auto held = Make(UniqueName("held"));
  auto first = Make(UniqueName("first"));
  auto second = Make(UniqueName("second"));
  std::promise<void> heldReady, finish;
  std::thread holder([&] {
    held->Wait();
    heldReady.set_value();
    finish.get_future().wait();
    held->Release();
  });
  heldReady.get_future().wait();
  std::thread([&] {
    first->Wait();
    second->Wait();
    second->Wait();
  }).join();

  EXPECT_EQ(WaitAny({held.get(), second.get()}, kGenerous), kWaitAbandoned0 + 1);
  EXPECT_EQ(second->Wait(milliseconds(0)), kWaitObject0) << "the abandoned mark is cleared once reported";
  EXPECT_TRUE(second->Release());
  EXPECT_TRUE(second->Release());
  EXPECT_FALSE(second->Release());
  EXPECT_EQ(first->Wait(milliseconds(0)), kWaitAbandoned0);
  EXPECT_TRUE(first->Release());
  finish.set_value();
  holder.join();
}

TEST(NamedMutex, AThreadStartedAfterTheOwnerEndedNeverInheritsOwnership) {
  auto mutex = Make(UniqueName("inherit"));
  for (int i = 0; i < 20; ++i) {
    std::thread([&] { mutex->Wait(); }).join();
    EXPECT_FALSE(OnOtherThread([&] { return mutex->Release(); }));
    EXPECT_EQ(OnOtherThread([&] {
                std::uint32_t result = mutex->Wait(milliseconds(0));
                mutex->Release();
                return result;
              }),
              kWaitAbandoned0);
  }
}

TEST(NamedMutex, ReleasingTheStopMutexLetsEveryWaiterLeaveInTurn) {
  auto job = Make(UniqueName("busy-job"));
  auto stop = Make(UniqueName("stop"), true);
  std::promise<void> jobHeld, finish;
  std::thread running([&] {
    job->Wait();
    jobHeld.set_value();
    finish.get_future().wait();
    job->Release();
  });
  jobHeld.get_future().wait();

  constexpr int kWaiters = 6;
  std::vector<std::future<std::uint32_t>> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.push_back(std::async(std::launch::async, [&] {
      std::uint32_t result = WaitAny({job.get(), stop.get()}, kGenerous);
      if (result == kWaitObject0 + 1) stop->Release();
      return result;
    }));
  }
  EXPECT_TRUE(stop->Release());
  for (auto& waiter : waiters) EXPECT_EQ(waiter.get(), kWaitObject0 + 1);
  finish.set_value();
  running.join();
}

// Jobs reserve their places when they are started and take the mutex in that order, however their
// threads happen to be scheduled: here the threads begin to wait in the opposite order.
TEST(NamedMutex, AFreeMutexGoesToReservedPlacesInTheOrderTheyWereReserved) {
  auto mutex = Make(UniqueName("line"), true);
  constexpr int kWaiters = 8;
  std::vector<platform::MutexPlace> places;
  for (int i = 0; i < kWaiters; ++i) places.push_back(mutex->ReservePlace());
  std::mutex orderLock;
  std::vector<int> order;
  std::vector<std::thread> waiters;
  for (int i = kWaiters - 1; i >= 0; --i) {
    waiters.emplace_back([&, i] {
      NamedMutex* list[] = {mutex.get()};
      ASSERT_EQ(platform::WaitForAnyMutex(list, kGenerous, &places[i]), kWaitObject0);
      {
        std::lock_guard guard(orderLock);
        order.push_back(i);
      }
      mutex->Release();
    });
  }
  EXPECT_TRUE(mutex->Release());
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_FALSE(places[0].Reserved()) << "a wait uses its place up";
}

TEST(NamedMutex, AReservedPlaceHoldsAFreeMutexForItsWaitUntilItIsDropped) {
  auto mutex = Make(UniqueName("reserved"));
  std::optional<platform::MutexPlace> place = mutex->ReservePlace();
  EXPECT_EQ(OnOtherThread([&] { return mutex->Wait(milliseconds(0)); }), kWaitTimeout);
  std::future<std::uint32_t> later = std::async(std::launch::async, [&] {
    std::uint32_t result = mutex->Wait(kGenerous);
    mutex->Release();
    return result;
  });
  place.reset();
  EXPECT_EQ(later.get(), kWaitObject0);
  // A place reserved for a mutex the wait does not ask for is given up all the same.
  auto other = Make(UniqueName("other"));
  platform::MutexPlace elsewhere = other->ReservePlace();
  NamedMutex* list[] = {mutex.get()};
  EXPECT_EQ(platform::WaitForAnyMutex(list, milliseconds(0), &elsewhere), kWaitObject0);
  EXPECT_TRUE(mutex->Release());
  EXPECT_FALSE(elsewhere.Reserved());
  EXPECT_EQ(OnOtherThread([&] {
              std::uint32_t result = other->Wait(milliseconds(0));
              other->Release();
              return result;
            }),
            kWaitObject0);
}

TEST(NamedMutex, WaitEndsAtItsTimeoutWhileAnotherThreadOwnsIt) {
  auto mutex = Make(UniqueName("timeout"));
  std::promise<void> held, finish;
  std::thread holder([&] {
    mutex->Wait();
    held.set_value();
    finish.get_future().wait();
    mutex->Release();
  });
  held.get_future().wait();
  EXPECT_EQ(mutex->Wait(milliseconds(30)), kWaitTimeout);
  finish.set_value();
  holder.join();
  EXPECT_EQ(mutex->Wait(kGenerous), kWaitObject0);
  EXPECT_TRUE(mutex->Release());
}

// A helper process with pipes to its standard input and output.
class HelperProcess {
 public:
  explicit HelperProcess(std::vector<std::string> arguments) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    arguments.insert(arguments.begin(), QOR_NAMED_MUTEX_HELPER);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_Pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    m_Input = toChild[1];
    m_Output = fromChild[0];
  }
  ~HelperProcess() {
    if (m_Input >= 0) ::close(m_Input);
    if (m_Output >= 0) ::close(m_Output);
    if (m_Pid > 0 && !m_Reaped) {
      ::kill(m_Pid, SIGKILL);
      ::waitpid(m_Pid, nullptr, 0);
    }
  }
  bool Started() const { return m_Pid > 0; }

  // The next line the helper printed, waiting at most kGenerous; "" when none came.
  std::string ReadLine() {
    std::string line;
    char c;
    while (::poll(std::array<pollfd, 1>{pollfd{m_Output, POLLIN, 0}}.data(), 1,
                  static_cast<int>(kGenerous.count())) > 0 &&
           ::read(m_Output, &c, 1) == 1) {
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }
  void WriteLine() { ASSERT_EQ(::write(m_Input, "go\n", 3), 3); }
  void Kill() { ::kill(m_Pid, SIGKILL); }
  int ExitCode() {
    int status = 0;
    ::waitpid(m_Pid, &status, 0);
    m_Reaped = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }

 private:
  pid_t m_Pid = -1;
  int m_Input = -1;
  int m_Output = -1;
  bool m_Reaped = false;
};

// A process that dies owning the mutex leaves it free, as a Windows mutex vanishes with the last
// process that had it open: a driver restarted after a crash takes its registers again at once.
TEST(NamedMutexAcrossProcesses, AnotherProcessOwningItBlocksUntilReleasedAndDyingFreesIt) {
  testsupport::TempFolder folder;
  testsupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.Path());
  std::string name = UniqueName("FF9DDFC0-6374-43AC-930F-6C452D21F44EAS");
  auto mutex = Make(name, false, MutexSharing::AcrossProcesses);

  HelperProcess releasing({"hold", name});
  ASSERT_TRUE(releasing.Started());
  ASSERT_EQ(releasing.ReadLine(), "held 0");
  EXPECT_EQ(mutex->Wait(milliseconds(60)), kWaitTimeout);
  releasing.WriteLine();
  EXPECT_EQ(mutex->Wait(kGenerous), kWaitObject0);
  EXPECT_EQ(releasing.ReadLine(), "released 1");
  EXPECT_EQ(releasing.ExitCode(), 0);

  HelperProcess waiting({"hold", name});
  ASSERT_TRUE(waiting.Started());
  EXPECT_TRUE(mutex->Release());
  ASSERT_EQ(waiting.ReadLine(), "held 0");
  waiting.Kill();
  EXPECT_EQ(waiting.ExitCode(), -SIGKILL);
  EXPECT_EQ(mutex->Wait(kGenerous), kWaitObject0);
  EXPECT_TRUE(mutex->Release());
  EXPECT_EQ(mutex->Wait(kGenerous), kWaitObject0) << "the dead owner's mark is gone for good";
  EXPECT_TRUE(mutex->Release());
  EXPECT_TRUE(testsupport::FileExists(folder.Path() + "/qor-mutex-" + name + ".lock"));
}

TEST(NamedMutexAcrossProcesses, TwoProcessesNeverOwnItAtTheSameTime) {
  testsupport::TempFolder folder;
  testsupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.Path());
  std::string name = UniqueName("shared-job");
  std::string journal = folder / "journal.txt";
  constexpr int kRounds = 60;
  auto mutex = Make(name, false, MutexSharing::AcrossProcesses);

  HelperProcess other({"count", name, journal, std::to_string(kRounds)});
  ASSERT_TRUE(other.Started());
  ASSERT_EQ(other.ReadLine(), "ready");
  other.WriteLine();
  for (int i = 0; i < kRounds; ++i) {
    ASSERT_EQ(mutex->Wait(kGenerous), kWaitObject0);
    for (int k = 0; k < 12; ++k) {
      std::FILE* file = std::fopen(journal.c_str(), "a");
      ASSERT_NE(file, nullptr);
      std::fprintf(file, "%s\n", k == 0 ? "A+" : k == 11 ? "A-" : "A.");
      std::fclose(file);
    }
    ASSERT_TRUE(mutex->Release());
  }
  ASSERT_EQ(other.ExitCode(), 0);

  // Every "+" line is followed by lines of the same process up to its "-" line.
  std::istringstream lines(testsupport::ReadFile(journal));
  std::string line;
  char owner = 0;
  int entries = 0;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.size(), 2u);
    if (line[1] == '+') {
      ASSERT_EQ(owner, 0) << "both processes owned the mutex";
      owner = line[0];
      ++entries;
    } else {
      ASSERT_EQ(line[0], owner) << "both processes owned the mutex";
      if (line[1] == '-') owner = 0;
    }
  }
  EXPECT_EQ(entries, 2 * kRounds);
}

}  // namespace

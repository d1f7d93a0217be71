#include "driver/ecr/worker_thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <future>

#include "testsupport/log_capture.h"

namespace driver {
namespace {

constexpr std::chrono::seconds kGenerous{10};

struct Observed {
  std::atomic<int> m_Runs{0};
  std::atomic<int> m_Deleted{0};
  std::atomic<int> m_SeenInput{-1};
  std::atomic<int> m_Nice{1000};
};

class CProbeThread : public CWorkerThread {
 public:
  explicit CProbeThread(Observed& observed) : m_Observed(observed) {}
  ~CProbeThread() override { ++m_Observed.m_Deleted; }
  int m_Input = 0;

 protected:
  int Run() override {
    m_Observed.m_SeenInput = m_Input;
    errno = 0;
    m_Observed.m_Nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
    ++m_Observed.m_Runs;
    return 0;
  }

 private:
  Observed& m_Observed;
};

TEST(WorkerThread, RunsOnceAfterResumeWithTheFieldsSetWhileSuspendedAndDeletesItself) {
  Observed observed;
  for (int i = 0; i < 20; ++i) {
    auto* thread = new CProbeThread(observed);
    ASSERT_TRUE(thread->CreateSuspended());
    thread->m_Input = i + 1;
    thread->Resume();
    ASSERT_TRUE(CWorkerThread::WaitAllEnded(kGenerous));
    EXPECT_EQ(observed.m_SeenInput, i + 1) << "the thread ran before it was resumed";
  }
  EXPECT_EQ(observed.m_Runs, 20);
  EXPECT_EQ(observed.m_Deleted, 20);
  EXPECT_EQ(CWorkerThread::LiveCount(), 0);
}

TEST(WorkerThread, DiscardEndsTheThreadWithoutRunning) {
  Observed observed;
  auto* thread = new CProbeThread(observed);
  ASSERT_TRUE(thread->CreateSuspended());
  EXPECT_EQ(CWorkerThread::LiveCount(), 1);
  thread->Discard();
  ASSERT_TRUE(CWorkerThread::WaitAllEnded(kGenerous));
  EXPECT_EQ(observed.m_Runs, 0);
  EXPECT_EQ(observed.m_Deleted, 1);
}

TEST(WorkerThread, SerialNumbersAreNeverReused) {
  Observed observed;
  CProbeThread first(observed);
  CProbeThread second(observed);
  EXPECT_NE(first.Serial(), second.Serial());
}

TEST(WorkerThread, HighestPriorityIsAppliedOrLogged) {
  Observed observed;
  testsupport::LogCapture log;
  errno = 0;
  int base = ::getpriority(PRIO_PROCESS, 0);
  auto* thread = new CProbeThread(observed);
  ASSERT_TRUE(thread->CreateSuspended());
  thread->SetPriority(ThreadPriority::Highest);
  thread->Resume();
  ASSERT_TRUE(CWorkerThread::WaitAllEnded(kGenerous));
  bool logged = false;
  for (const std::string& line : log.Lines()) logged = logged || line.rfind("CWorkerThread: highest priority", 0) == 0;
  EXPECT_TRUE(observed.m_Nice == base - 2 || logged) << observed.m_Nice << " from " << base;
}

}  // namespace
}  // namespace driver

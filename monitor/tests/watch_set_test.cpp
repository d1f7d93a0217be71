// The worker's wait set on a real inotify instance: what it watches, how its flags merge, and the
// order in which it hands them out. Kernel events are queued by the time the changing call
// returns, so each change here is read back at once.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "monitor/watch_set.h"
#include "platform/file_descriptor.h"
#include "testsupport/temp_folder.h"

namespace monitor {
namespace {

using testsupport::WriteFile;
using Taken = std::vector<std::pair<std::string, short>>;

class WatchSetTest : public ::testing::Test {
 protected:
  std::string MakeFolder(const std::string& name) {
    std::string path = m_Temp / name;
    ::mkdir(path.c_str(), 0755);
    return path;
  }

  // Reads what the kernel queued, then takes every pending change in order.
  Taken ReadAndTakeAll() {
    EXPECT_TRUE(m_Set.ReadAvailable());
    Taken taken;
    while (std::optional<FolderChange> change = m_Set.TakeLowest()) taken.emplace_back(change->path, change->type);
    return taken;
  }

  testsupport::TempFolder m_Temp;
  platform::FileDescriptor m_Inotify{::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
  WatchSet m_Set{m_Inotify.Get()};
};

TEST_F(WatchSetTest, FoldersThatCannotBeWatchedAreLeftOut) {
  std::string a = MakeFolder("a");
  std::string b = MakeFolder("b");
  WriteFile(m_Temp / "plain-file", "x");
  std::string locked = MakeFolder("locked");
  ::chmod(locked.c_str(), 0);
  bool lockedIsReadable = ::access(locked.c_str(), R_OK) == 0;  // root reads anyway

  int watched = m_Set.Build({m_Temp / "missing", a, "", m_Temp / "plain-file", locked, b});

  EXPECT_EQ(lockedIsReadable ? 3 : 2, watched);
  WriteFile(a + "/t.txt", "x");
  WriteFile(b + "/t.txt", "x");
  Taken taken = ReadAndTakeAll();
  EXPECT_EQ((Taken{{a, 1}, {a, 2}, {b, 1}, {b, 2}}), taken);
}

TEST_F(WatchSetTest, FlagsMergeUntilTakenAndRiseAgainAfterwards) {
  std::string a = MakeFolder("a");
  m_Set.Build({a});
  for (int number = 0; number < 50; ++number) WriteFile(a + "/t" + std::to_string(number) + ".txt", "x");
  EXPECT_EQ((Taken{{a, 1}, {a, 2}}), ReadAndTakeAll());
  EXPECT_FALSE(m_Set.HasPending());

  ::mkdir((a + "/sub").c_str(), 0755);
  ::unlink((a + "/t0.txt").c_str());
  EXPECT_EQ((Taken{{a, 2}, {a, 3}}), ReadAndTakeAll());
}

TEST_F(WatchSetTest, LowestPositionComesFirst) {
  std::string a = MakeFolder("a");
  std::string b = MakeFolder("b");
  m_Set.Build({a, b});
  // Changes made in the reverse order of their positions.
  WriteFile(b + "/t.txt", "x");
  ::mkdir((a + "/sub").c_str(), 0755);
  WriteFile(a + "/t.txt", "x");
  EXPECT_EQ((Taken{{a, 1}, {a, 2}, {a, 3}, {b, 1}, {b, 2}}), ReadAndTakeAll());
}

TEST_F(WatchSetTest, QueueOverflowRaisesEveryKindInEveryWatchedFolder) {
  std::string a = MakeFolder("a");
  std::string b = MakeFolder("b");
  std::string busy = MakeFolder("busy");
  m_Set.Build({a, m_Temp / "missing", b, busy});
  long limit = 0;
  if (FILE* file = std::fopen("/proc/sys/fs/inotify/max_queued_events", "r")) {
    if (std::fscanf(file, "%ld", &limit) != 1) limit = 0;
    std::fclose(file);
  }
  if (limit <= 0 || limit > 1000000) GTEST_SKIP() << "the kernel's queue limit is out of reach";

  // Nothing is read meanwhile, so the kernel's queue overflows: each rename queues two events.
  WriteFile(busy + "/t.txt", "x");
  std::string here = busy + "/t.txt";
  std::string there = busy + "/u.txt";
  for (long turn = 0; turn <= limit / 2; ++turn) {
    std::rename(here.c_str(), there.c_str());
    std::swap(here, there);
  }

  EXPECT_EQ((Taken{{a, 1}, {a, 2}, {a, 3}, {b, 1}, {b, 2}, {b, 3}, {busy, 1}, {busy, 2}, {busy, 3}}),
            ReadAndTakeAll());
}

// A ticket dropped just before the list changed must still be reported: dropping the changes a
// rebuild finds queued would leave it unanswered until the next change of its folder.
TEST_F(WatchSetTest, RebuildKeepsChangesQueuedBeforeItAndReportsNewFoldersOnce) {
  std::string a = MakeFolder("a");
  std::string b = MakeFolder("b");
  m_Set.Build({a});
  WriteFile(a + "/before.txt", "x");
  WriteFile(b + "/waiting.txt", "x");
  m_Set.Build({a, b});
  EXPECT_EQ((Taken{{a, 1}, {a, 2}, {b, 2}}), ReadAndTakeAll());

  WriteFile(a + "/after.txt", "x");
  EXPECT_EQ((Taken{{a, 1}, {a, 2}}), ReadAndTakeAll());
}

}  // namespace
}  // namespace monitor

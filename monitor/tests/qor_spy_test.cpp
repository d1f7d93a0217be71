// QorSpy on real folders, real inotify and a real Qt event loop.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <climits>
#include <cstdio>
#include <functional>
#include <set>

#include "monitor/qor_spy.h"
#include "monitor/tests/spy_fixture.h"
#include "testsupport/temp_folder.h"

namespace monitor::test {
namespace {

using testsupport::WriteFile;

std::set<short> AsSet(const std::vector<short>& types) { return {types.begin(), types.end()}; }

int ThreadsOfThisProcess() {
  int count = 0;
  if (DIR* tasks = ::opendir("/proc/self/task")) {
    while (dirent* entry = ::readdir(tasks)) count += entry->d_name[0] != '.' ? 1 : 0;
    ::closedir(tasks);
  }
  return count;
}

bool AllOnCreatingThread(const NotifyRecorder& recorder) {
  for (const Received& received : recorder.All())
    if (!received.onCreatingThread) return false;
  return true;
}

struct ChangeCase {
  const char* name;
  std::function<void(const std::string& folder, const std::string& outside)> prepare;
  std::function<void(const std::string& folder, const std::string& outside)> change;
  std::set<short> expected;
};

void Nothing(const std::string&, const std::string&) {}
void MakeTicket(const std::string& folder, const std::string&) { WriteFile(folder + "/t.txt", "ticket"); }
void MakeSub(const std::string& folder, const std::string&) { ::mkdir((folder + "/sub").c_str(), 0755); }

const ChangeCase kChangeCases[] = {
    {"new file", Nothing, MakeTicket, {kNotifyLastWrite, kNotifyFileName}},
    {"file rewritten", MakeTicket, [](auto& f, auto&) { WriteFile(f + "/t.txt", "again"); }, {kNotifyLastWrite}},
    {"file deleted", MakeTicket, [](auto& f, auto&) { ::unlink((f + "/t.txt").c_str()); }, {kNotifyFileName}},
    {"file renamed", MakeTicket,
     [](auto& f, auto&) { std::rename((f + "/t.txt").c_str(), (f + "/t.rep").c_str()); }, {kNotifyFileName}},
    {"file moved in from outside", [](auto&, auto& o) { WriteFile(o + "/t.txt", "ticket"); },
     [](auto& f, auto& o) { std::rename((o + "/t.txt").c_str(), (f + "/t.txt").c_str()); }, {kNotifyFileName}},
    {"file attributes changed", MakeTicket, [](auto& f, auto&) { ::chmod((f + "/t.txt").c_str(), 0600); }, {}},
    {"file only read", MakeTicket, [](auto& f, auto&) { testsupport::ReadFile(f + "/t.txt"); }, {}},
    {"sub-folder created", Nothing, MakeSub, {kNotifyDirName}},
    {"sub-folder renamed", MakeSub,
     [](auto& f, auto&) { std::rename((f + "/sub").c_str(), (f + "/sub2").c_str()); }, {kNotifyDirName}},
    {"sub-folder deleted", MakeSub, [](auto& f, auto&) { ::rmdir((f + "/sub").c_str()); }, {kNotifyDirName}},
    {"changes deep inside a sub-folder", MakeSub,
     [](auto& f, auto&) {
       WriteFile(f + "/sub/deep.txt", "deep");
       ::mkdir((f + "/sub/deeper").c_str(), 0755);
       ::unlink((f + "/sub/deep.txt").c_str());
     },
     {}},
};

TEST(QorSpyChanges, EachChangeDirectlyInsideReportsItsKindAndNothingElse) {
  for (const ChangeCase& row : kChangeCases) {
    SCOPED_TRACE(row.name);
    SpyFixture fixture;
    std::string folder = fixture.MakeFolder("3");
    std::string sentinel = fixture.MakeFolder("sentinel");
    std::string outside = fixture.MakeFolder("outside");
    row.prepare(folder, outside);
    fixture.Spy().AddFolder(folder);
    fixture.Spy().AddFolder(sentinel);
    ASSERT_TRUE(fixture.StartAndWait());
    std::size_t from = fixture.Recorder().All().size();

    row.change(folder, outside);
    ASSERT_TRUE(fixture.Settle(sentinel));

    EXPECT_EQ(row.expected, AsSet(fixture.Recorder().TypesFor(folder, from)));
    EXPECT_TRUE(AllOnCreatingThread(fixture.Recorder()));
  }
}

TEST(QorSpyStart, StartNotificationNamesTheFirstFolderOncePerStart) {
  SpyFixture fixture;
  std::string first = fixture.MakeFolder("1");
  std::string second = fixture.MakeFolder("2");
  fixture.Spy().AddFolder(first);
  fixture.Spy().AddFolder(second);
  ASSERT_TRUE(fixture.StartAndWait());
  ASSERT_TRUE(fixture.Recorder().WaitFor(first, kNotifyStarted));

  fixture.Spy().put_Start(kVariantTrue);  // already running: no second start
  EXPECT_EQ(kVariantTrue, fixture.Spy().get_Start());
  ASSERT_TRUE(fixture.Settle(second));

  EXPECT_EQ(1, fixture.Recorder().CountOfType(kNotifyStarted));
  EXPECT_EQ(0, fixture.Recorder().Count(second, kNotifyStarted));
}

TEST(QorSpyStart, OnlyMinusOneStartsAndEveryOtherValueStops) {
  const short kOtherValues[] = {1, 0, 2, -2, SHRT_MAX, SHRT_MIN};
  for (short value : kOtherValues) {
    SCOPED_TRACE(value);
    SpyFixture fixture;
    std::string folder = fixture.MakeFolder("1");
    fixture.Spy().AddFolder(folder);

    fixture.Spy().put_Start(value);  // stopped: stays stopped
    EXPECT_EQ(kVariantFalse, fixture.Spy().get_Start());

    ASSERT_TRUE(fixture.StartAndWait());
    EXPECT_EQ(kVariantTrue, fixture.Spy().get_Start());
    fixture.Spy().put_Start(value);  // running: stops
    EXPECT_EQ(kVariantFalse, fixture.Spy().get_Start());
  }
}

TEST(QorSpyStart, StoppedWatcherReportsNothingAndRestartPicksUpFoldersAddedMeanwhile) {
  SpyFixture fixture;
  std::string folder = fixture.MakeFolder("1");
  std::string added = fixture.MakeFolder("2");
  fixture.Spy().AddFolder(folder);
  ASSERT_TRUE(fixture.StartAndWait());
  fixture.Spy().put_Start(1);
  fixture.Spy().AddFolder(added);
  WriteFile(folder + "/while-stopped.txt", "x");
  std::size_t from = fixture.Recorder().All().size();

  ASSERT_TRUE(fixture.StartAndWait());
  ASSERT_TRUE(fixture.Recorder().WaitFor(folder, kNotifyStarted));
  WriteFile(added + "/t.txt", "x");
  ASSERT_TRUE(fixture.Recorder().WaitFor(added, kNotifyFileName));

  // Only the new start notification for the first folder: the change made while stopped is gone.
  EXPECT_EQ(std::vector<short>{kNotifyStarted}, fixture.Recorder().TypesFor(folder, from));
  EXPECT_EQ(2, fixture.Recorder().CountOfType(kNotifyStarted));
}

TEST(QorSpyStart, EmptyListSendsNoStartNotificationAndLaterFoldersAreWatched) {
  SpyFixture fixture;
  ASSERT_TRUE(fixture.StartAndWait());
  EXPECT_EQ(0, fixture.Recorder().LastBuild());

  std::string folder = fixture.MakeFolder("1");
  fixture.Spy().AddFolder(folder);
  ASSERT_EQ(1, fixture.Recorder().WaitForNextBuild());
  WriteFile(folder + "/t.txt", "x");
  ASSERT_TRUE(fixture.Recorder().WaitFor(folder, kNotifyFileName));

  EXPECT_EQ(0, fixture.Recorder().CountOfType(kNotifyStarted));
  for (const Received& received : fixture.Recorder().All()) EXPECT_FALSE(received.path.empty());
}

TEST(QorSpyStart, StopThenImmediateStartLosesNothing) {
  int threadsBefore = ThreadsOfThisProcess();
  SpyFixture fixture;
  std::string folder = fixture.MakeFolder("1");
  fixture.Spy().AddFolder(folder);
  ASSERT_TRUE(fixture.StartAndWait());
  for (int cycle = 0; cycle < 20; ++cycle) {
    fixture.Spy().put_Start(kVariantFalse);
    fixture.Spy().put_Start(kVariantTrue);
  }
  ASSERT_TRUE(fixture.Recorder().WaitUntil([&] { return fixture.Recorder().BuildCount() == 21; }));
  ASSERT_TRUE(fixture.Recorder().WaitUntil([&] { return fixture.Recorder().Count(folder, kNotifyStarted) == 21; }));
  EXPECT_EQ(kVariantTrue, fixture.Spy().get_Start());
  EXPECT_EQ(threadsBefore + 1, ThreadsOfThisProcess());  // every stopped worker has ended

  // The last worker got its own signals: it still watches, and a list change still reaches it.
  WriteFile(folder + "/t.txt", "x");
  ASSERT_TRUE(fixture.Recorder().WaitFor(folder, kNotifyFileName));
  std::string added = fixture.MakeFolder("2");
  fixture.Spy().AddFolder(added);
  ASSERT_EQ(2, fixture.Recorder().WaitForNextBuild());
  WriteFile(added + "/t.txt", "x");
  EXPECT_TRUE(fixture.Recorder().WaitFor(added, kNotifyFileName));
}

TEST(QorSpyLifetime, DestroyingARunningWatcherEndsItsWorker) {
  int threadsBefore = ThreadsOfThisProcess();
  SpyFixture fixture;
  std::string folder = fixture.MakeFolder("1");
  fixture.Spy().AddFolder(folder);
  ASSERT_TRUE(fixture.StartAndWait());
  EXPECT_EQ(threadsBefore + 1, ThreadsOfThisProcess());
  WriteFile(folder + "/t.txt", "x");  // changes still on their way must not reach a destroyed object

  fixture.Destroy();

  EXPECT_EQ(threadsBefore, ThreadsOfThisProcess());
  EXPECT_EQ(0, QorSpy::LiveObjects());
  QCoreApplication::processEvents();
}

}  // namespace
}  // namespace monitor::test

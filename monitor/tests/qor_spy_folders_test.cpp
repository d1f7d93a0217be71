// The watched list of QorSpy and how the worker follows it, on real folders.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "monitor/qor_spy.h"
#include "monitor/tests/spy_fixture.h"
#include "testsupport/temp_folder.h"

namespace monitor::test {
namespace {

using testsupport::WriteFile;
using Folders = std::vector<std::string>;

TEST(QorSpyList, AddAndRemoveCompareBytesExactly) {
  struct Row {
    const char* name;
    Folders add;
    Folders remove;
    Folders expected;
  };
  const Row kRows[] = {
      {"same bytes twice", {"/q/Tickets/1", "/q/Tickets/1"}, {}, {"/q/Tickets/1"}},
      {"other letter case", {"/q/Tickets/1", "/q/TICKETS/1"}, {}, {"/q/Tickets/1", "/q/TICKETS/1"}},
      {"trailing slash", {"/q/Tickets/1", "/q/Tickets/1/"}, {}, {"/q/Tickets/1", "/q/Tickets/1/"}},
      {"empty path", {"", "/q/1"}, {""}, {"/q/1"}},
      {"8-bit bytes", {"/q/caf\xe9", "/q/caf\xc3\xa9"}, {}, {"/q/caf\xe9", "/q/caf\xc3\xa9"}},
      {"remove unlisted", {"/q/1", "/q/2"}, {"/q/3", "/q/1/", "/Q/1"}, {"/q/1", "/q/2"}},
      {"remove keeps order", {"/q/1", "/q/2", "/q/3"}, {"/q/2"}, {"/q/1", "/q/3"}},
      {"remove then add goes last", {"/q/1", "/q/2"}, {"/q/1"}, {"/q/2"}},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<QorSpy> spy = QorSpy::Create();
    ASSERT_NE(nullptr, spy);
    for (const std::string& path : row.add) spy->AddFolder(path);
    for (const std::string& path : row.remove) spy->RemoveFolder(path);
    EXPECT_EQ(row.expected, spy->Folders());
  }
}

TEST(QorSpyList, RepeatedAddOfAListedFolderDoesNotDisturbTheWorker) {
  SpyFixture fixture;
  std::string folder = fixture.MakeFolder("1");
  std::string sentinel = fixture.MakeFolder("sentinel");
  fixture.Spy().AddFolder(folder);
  fixture.Spy().AddFolder(sentinel);
  ASSERT_TRUE(fixture.StartAndWait());

  fixture.Spy().AddFolder(folder);
  fixture.Spy().RemoveFolder(fixture.Root() + "/unlisted");
  ASSERT_TRUE(fixture.Settle(sentinel));

  EXPECT_EQ(1u, fixture.Recorder().BuildCount());
  EXPECT_EQ((Folders{folder, sentinel}), fixture.Spy().Folders());
}

TEST(QorSpyList, TwoSpellingsOfOneFolderEachReportUnderTheirOwnPath) {
  SpyFixture fixture;
  std::string folder = fixture.MakeFolder("1");
  std::string sentinel = fixture.MakeFolder("sentinel");
  fixture.Spy().AddFolder(folder);
  fixture.Spy().AddFolder(folder + "/");
  fixture.Spy().AddFolder(sentinel);
  ASSERT_TRUE(fixture.StartAndWait());
  EXPECT_EQ(3, fixture.Recorder().LastBuild());

  ::mkdir((folder + "/sub").c_str(), 0755);
  ASSERT_TRUE(fixture.Recorder().WaitFor(folder + "/", kNotifyDirName));
  EXPECT_EQ(1, fixture.Recorder().Count(folder, kNotifyDirName));

  // Dropping one spelling keeps the folder's one kernel watch for the other.
  fixture.Spy().RemoveFolder(folder + "/");
  ASSERT_EQ(2, fixture.Recorder().WaitForNextBuild());
  ::rmdir((folder + "/sub").c_str());
  ASSERT_TRUE(fixture.Settle(sentinel));
  EXPECT_EQ(2, fixture.Recorder().Count(folder, kNotifyDirName));
  EXPECT_EQ(1, fixture.Recorder().Count(folder + "/", kNotifyDirName));
}

TEST(QorSpyList, RemovedFolderIsNoLongerReported) {
  SpyFixture fixture;
  std::string folder = fixture.MakeFolder("1");
  std::string sentinel = fixture.MakeFolder("sentinel");
  fixture.Spy().AddFolder(folder);
  fixture.Spy().AddFolder(sentinel);
  ASSERT_TRUE(fixture.StartAndWait());
  std::size_t from = fixture.Recorder().All().size();

  fixture.Spy().RemoveFolder(folder);
  ASSERT_EQ(1, fixture.Recorder().WaitForNextBuild());
  WriteFile(folder + "/t.txt", "x");
  ASSERT_TRUE(fixture.Settle(sentinel));

  EXPECT_TRUE(fixture.Recorder().TypesFor(folder, from).empty());
}

// As the driver does when its ticket root changes: each old folder removed and its new one added
// while the watcher runs. Tickets already waiting in a new folder (or dropped before its watch
// exists) are reported once it is watched; a change still pending in a folder that stays is kept.
TEST(QorSpyList, FoldersAddedWhileRunningAreReportedOnceWatched) {
  SpyFixture fixture;
  std::vector<std::string> oldFolders = {fixture.MakeFolder("1"), fixture.MakeFolder("2")};
  std::string staying = fixture.MakeFolder("staying");
  for (const std::string& folder : oldFolders) fixture.Spy().AddFolder(folder);
  fixture.Spy().AddFolder(staying);
  ASSERT_TRUE(fixture.StartAndWait());
  fixture.MakeFolder("moved");
  std::vector<std::string> newFolders = {fixture.MakeFolder("moved/1"), fixture.MakeFolder("moved/2")};
  for (const std::string& folder : newFolders) WriteFile(folder + "/waiting.txt", "x");
  for (int index = 0; index < 2; ++index) {
    fixture.Spy().RemoveFolder(oldFolders[index]);
    fixture.Spy().AddFolder(newFolders[index]);
  }
  for (const std::string& folder : newFolders)
    EXPECT_TRUE(fixture.Recorder().WaitFor(folder, kNotifyFileName)) << folder;
  EXPECT_TRUE(fixture.Settle(staying));
}

TEST(QorSpyList, BurstInTwoFoldersGivesEachNotificationItsOwnPath) {
  SpyFixture fixture;
  std::string files = fixture.MakeFolder("1");
  std::string folders = fixture.MakeFolder("2");
  fixture.Spy().AddFolder(files);
  fixture.Spy().AddFolder(folders);
  ASSERT_TRUE(fixture.StartAndWait());
  std::size_t from = fixture.Recorder().All().size();

  // One folder only ever gets files, the other only sub-folders, so a notification under the
  // wrong path shows as a wrong type.
  for (int round = 0; round < 200; ++round) {
    WriteFile(files + "/t" + std::to_string(round) + ".txt", "x");
    ::mkdir((folders + "/d" + std::to_string(round)).c_str(), 0755);
  }
  ::mkdir((folders + "/last").c_str(), 0755);
  WriteFile(files + "/last.txt", "x");
  ASSERT_TRUE(fixture.Recorder().WaitUntil([&] {
    return fixture.Recorder().Count(files, kNotifyFileName) > 0 && fixture.Recorder().Count(folders, kNotifyDirName) > 0;
  }));
  ASSERT_TRUE(fixture.Settle(folders));

  const auto& all = fixture.Recorder().All();
  for (std::size_t index = from; index < all.size(); ++index) {
    if (all[index].path == files) {
      EXPECT_NE(kNotifyDirName, all[index].type);
    } else {
      EXPECT_EQ(folders, all[index].path);
      EXPECT_EQ(kNotifyDirName, all[index].type);
    }
  }
}

TEST(QorSpyList, HundredFoldersAllReport) {
  SpyFixture fixture;
  Folders paths;
  for (int number = 1; number <= 100; ++number) {
    paths.push_back(fixture.MakeFolder(std::to_string(number)));
    fixture.Spy().AddFolder(paths.back());
  }
  ASSERT_TRUE(fixture.StartAndWait());
  EXPECT_EQ(100, fixture.Recorder().LastBuild());

  for (const std::string& path : paths) WriteFile(path + "/t.txt", "x");

  ASSERT_TRUE(fixture.Recorder().WaitUntil([&] {
    for (const std::string& path : paths)
      if (fixture.Recorder().Count(path, kNotifyFileName) == 0) return false;
    return true;
  }));
}

TEST(QorSpyCreation, FailsWhenNoDescriptorCanBeOpened) {
  rlimit saved{};
  ASSERT_EQ(0, ::getrlimit(RLIMIT_NOFILE, &saved));
  // The lowest free descriptor number becomes the limit, so no new descriptor can be opened.
  int lowestFree = ::dup(0);
  ASSERT_GE(lowestFree, 0);
  ::close(lowestFree);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(0, ::setrlimit(RLIMIT_NOFILE, &tight));

  std::unique_ptr<QorSpy> spy = QorSpy::Create();

  ASSERT_EQ(0, ::setrlimit(RLIMIT_NOFILE, &saved));
  EXPECT_EQ(nullptr, spy);
  EXPECT_EQ(0, QorSpy::LiveObjects());
  EXPECT_NE(nullptr, QorSpy::Create());
}

}  // namespace
}  // namespace monitor::test

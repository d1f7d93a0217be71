// A ticket folder that goes missing under the wait set (deleted, moved away, or not there yet at the
// build) is watched again once it is back, and the client is asked to scan it, while the other
// folders keep their watches and pending changes. Real folders, real inotify; each step's events are
// queued by the time its call returns, and are then handled as the worker does: read, recover, take.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "monitor/tests/folder_steps.h"
#include "monitor/watch_set.h"
#include "platform/file_descriptor.h"
#include "testsupport/temp_folder.h"

namespace monitor {
namespace {

using test::MakeDir;
using test::RemoveDir;
using test::Rename;
using testsupport::FileExists;
using testsupport::WriteFile;
using Taken = std::vector<std::pair<std::string, short>>;

// The listed ticket folder "p/t", the folder "p" holding it, a second listed folder "kept", and a
// place outside the list.
struct Layout {
  std::string ticket;
  std::string parent;
  std::string kept;
  std::string elsewhere;
};
using Step = std::function<void(const Layout&)>;


class WatchSetRecoveryTest : public ::testing::Test {
 protected:
  static Layout MakeLayout(const testsupport::TempFolder& root, bool ticketFolderExists) {
    Layout layout{root / "p/t", root / "p", root / "kept", root / "elsewhere"};
    MakeDir(layout.kept);
    if (ticketFolderExists) {
      MakeDir(layout.parent);
      MakeDir(layout.ticket);
    }
    return layout;
  }

  // What the worker does on a wake-up: read what the kernel queued, recover when asked, then take
  // every pending change in order.
  Taken ReadRecoverAndTakeAll(WatchSet& set) {
    EXPECT_TRUE(set.ReadAvailable());
    if (set.RecoveryWanted()) set.Recover();
    Taken taken;
    while (std::optional<FolderChange> change = set.TakeLowest()) taken.emplace_back(change->path, change->type);
    return taken;
  }

  testsupport::TempFolder m_Temp;
  platform::FileDescriptor m_Inotify{::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
};

TEST_F(WatchSetRecoveryTest, FolderBackUnderItsPathIsScannedThenWatchedWithoutLosingOtherChanges) {
  struct Row {
    const char* name;
    bool existsAtBuild;
    Step takeAway;
    std::vector<Step> bringBack;  // each step is handled by the set before the next one is made
  };
  const Step kNothing = [](const Layout&) {};
  const Row kRows[] = {
      {"deleted, made again", true, [](auto& l) { RemoveDir(l.ticket); }, {[](auto& l) { MakeDir(l.ticket); }}},
      {"moved away, made again", true, [](auto& l) { Rename(l.ticket, l.elsewhere); },
       {[](auto& l) { MakeDir(l.ticket); }}},
      {"moved away and back", true, [](auto& l) { Rename(l.ticket, l.elsewhere); },
       {[](auto& l) { Rename(l.elsewhere, l.ticket); }}},
      {"deleted, a prepared folder with a ticket moved in", true, [](auto& l) { RemoveDir(l.ticket); },
       {[](auto& l) {
         MakeDir(l.elsewhere);
         WriteFile(l.elsewhere + "/ticket.txt", "x");
         Rename(l.elsewhere, l.ticket);
       }}},
      {"deleted with its parent, both made again at once", true,
       [](auto& l) {
         RemoveDir(l.ticket);
         RemoveDir(l.parent);
       },
       {[](auto& l) {
         MakeDir(l.parent);
         MakeDir(l.ticket);
       }}},
      {"deleted with its parent, made again one after the other", true,
       [](auto& l) {
         RemoveDir(l.ticket);
         RemoveDir(l.parent);
       },
       {[](auto& l) { MakeDir(l.parent); }, [](auto& l) { MakeDir(l.ticket); }}},
      {"missing at the build, made later", false, kNothing,
       {[](auto& l) { MakeDir(l.parent); }, [](auto& l) { MakeDir(l.ticket); }}},
      {"missing at the build, made later with a ticket inside", false, kNothing,
       {[](auto& l) {
         MakeDir(l.parent);
         MakeDir(l.ticket);
         WriteFile(l.ticket + "/ticket.txt", "x");
       }}},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    testsupport::TempFolder temp;
    Layout layout = MakeLayout(temp, row.existsAtBuild);
    WatchSet set(m_Inotify.Get());
    EXPECT_EQ(row.existsAtBuild ? 2 : 1, set.Build({layout.ticket, layout.kept}));

    row.takeAway(layout);
    EXPECT_EQ(Taken{}, ReadRecoverAndTakeAll(set));
    EXPECT_EQ(1, set.WatchedCount());
    for (std::size_t step = 0; step + 1 < row.bringBack.size(); ++step) {
      row.bringBack[step](layout);
      EXPECT_EQ(Taken{}, ReadRecoverAndTakeAll(set));
    }
    // A ticket in the other folder is still pending when the folder comes back.
    WriteFile(layout.kept + "/k.txt", "x");
    row.bringBack.back()(layout);

    // One scan of the folder that is back, and the other folder's changes, nothing more.
    EXPECT_EQ((Taken{{layout.ticket, 2}, {layout.kept, 1}, {layout.kept, 2}}), ReadRecoverAndTakeAll(set));
    EXPECT_EQ(2, set.WatchedCount());

    // Watched under its listed path; the folder moved away reports nothing.
    WriteFile(layout.ticket + "/after.txt", "x");
    if (FileExists(layout.elsewhere)) WriteFile(layout.elsewhere + "/after.txt", "x");
    EXPECT_EQ((Taken{{layout.ticket, 1}, {layout.ticket, 2}}), ReadRecoverAndTakeAll(set));

    // The parent is no longer watched for the folder's sake: folders made there ask for nothing.
    MakeDir(layout.parent + "/other");
    EXPECT_TRUE(set.ReadAvailable());
    EXPECT_FALSE(set.RecoveryWanted());
  }
}

TEST_F(WatchSetRecoveryTest, ListedFolderThatIsAlsoTheAncestorKeepsItsOwnReports) {
  std::string parent = m_Temp / "p";
  std::string ticket = m_Temp / "p/t";
  MakeDir(parent);
  WatchSet set(m_Inotify.Get());
  ASSERT_EQ(1, set.Build({parent, ticket}));

  // The kernel gives the parent one watch, serving as the listed folder's and the ancestor's.
  struct Turn {
    const char* name;
    std::function<void()> change;
    Taken expected;
  };
  const Turn kTurns[] = {
      {"folder made", [&] { MakeDir(ticket); }, {{parent, 3}, {ticket, 2}}},
      {"file in the parent", [&] { WriteFile(parent + "/a.txt", "x"); }, {{parent, 1}, {parent, 2}}},
      {"folder deleted", [&] { RemoveDir(ticket); }, {{parent, 3}}},
      {"file in the parent again", [&] { WriteFile(parent + "/b.txt", "x"); }, {{parent, 1}, {parent, 2}}},
      {"folder made again", [&] { MakeDir(ticket); }, {{parent, 3}, {ticket, 2}}},
      {"file in the folder", [&] { WriteFile(ticket + "/t.txt", "x"); }, {{ticket, 1}, {ticket, 2}}},
  };
  for (const Turn& turn : kTurns) {
    SCOPED_TRACE(turn.name);
    turn.change();
    EXPECT_EQ(turn.expected, ReadRecoverAndTakeAll(set));
  }
  EXPECT_EQ(2, set.WatchedCount());
}

TEST_F(WatchSetRecoveryTest, ListedParentDeletedWithTheFolderInsideBothComeBack) {
  std::string parent = m_Temp / "p";
  std::string ticket = m_Temp / "p/t";
  MakeDir(parent);
  MakeDir(ticket);
  WatchSet set(m_Inotify.Get());
  ASSERT_EQ(2, set.Build({parent, ticket}));

  RemoveDir(ticket);
  RemoveDir(parent);
  EXPECT_EQ(Taken{}, ReadRecoverAndTakeAll(set));
  EXPECT_EQ(0, set.WatchedCount());

  MakeDir(parent);
  EXPECT_EQ((Taken{{parent, 2}}), ReadRecoverAndTakeAll(set));
  MakeDir(ticket);
  EXPECT_EQ((Taken{{parent, 3}, {ticket, 2}}), ReadRecoverAndTakeAll(set));
  WriteFile(ticket + "/t.txt", "x");
  WriteFile(parent + "/p.txt", "x");
  EXPECT_EQ((Taken{{parent, 1}, {parent, 2}, {ticket, 1}, {ticket, 2}}), ReadRecoverAndTakeAll(set));
}

TEST_F(WatchSetRecoveryTest, FolderThatCanNeverBeWatchedLeavesItsAncestorsAlone) {
  WriteFile(m_Temp / "plain-file", "x");
  std::string kept = m_Temp / "kept";
  MakeDir(kept);
  WatchSet set(m_Inotify.Get());
  ASSERT_EQ(1, set.Build({m_Temp / "plain-file", m_Temp / "plain-file/t", kept}));

  // Nothing above those paths is watched for them: folders made there ask for no recovery.
  MakeDir(m_Temp / "other");
  EXPECT_TRUE(set.ReadAvailable());
  EXPECT_FALSE(set.RecoveryWanted());
  WriteFile(kept + "/t.txt", "x");
  EXPECT_EQ((Taken{{kept, 1}, {kept, 2}}), ReadRecoverAndTakeAll(set));
  EXPECT_EQ(1, set.WatchedCount());
}

TEST_F(WatchSetRecoveryTest, OtherFoldersMadeBesideAMissingFolderBringNoNotification) {
  std::string ticket = m_Temp / "t";
  std::string kept = m_Temp / "kept";
  MakeDir(kept);
  WatchSet set(m_Inotify.Get());
  ASSERT_EQ(1, set.Build({ticket, kept}));

  MakeDir(m_Temp / "other");
  Rename(m_Temp / "other", m_Temp / "other2");
  EXPECT_EQ(Taken{}, ReadRecoverAndTakeAll(set));
  EXPECT_EQ(1, set.WatchedCount());

  MakeDir(ticket);
  EXPECT_EQ((Taken{{ticket, 2}}), ReadRecoverAndTakeAll(set));
}

TEST_F(WatchSetRecoveryTest, RebuildKeepsLookingForAMissingFolderAndAnEmptySetForNone) {
  std::string ticket = m_Temp / "p/t";
  WatchSet set(m_Inotify.Get());
  ASSERT_EQ(0, set.Build({ticket}));
  ASSERT_EQ(0, set.Build({ticket}));
  MakeDir(m_Temp / "p");
  MakeDir(ticket);
  EXPECT_EQ((Taken{{ticket, 2}}), ReadRecoverAndTakeAll(set));

  // A set built without the folder watches nothing on its behalf.
  RemoveDir(ticket);
  EXPECT_EQ(Taken{}, ReadRecoverAndTakeAll(set));
  ASSERT_EQ(0, set.Build({}));
  MakeDir(ticket);
  EXPECT_TRUE(set.ReadAvailable());
  EXPECT_FALSE(set.RecoveryWanted());
}

}  // namespace
}  // namespace monitor

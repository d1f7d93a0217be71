// A ticket folder deleted, moved away or missing at start is watched again by a running QorSpy once
// it is back, with no change of the list, and its tickets reach a client that scans the notified
// folder, as the driver does. Real folders, real inotify, a real Qt event loop.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QObject>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "monitor/qor_spy.h"
#include "monitor/tests/folder_steps.h"
#include "monitor/tests/spy_fixture.h"
#include "testsupport/temp_folder.h"

namespace monitor::test {
namespace {

using testsupport::WriteFile;

// A client that scans the notified folder on every notification and remembers the file names it
// found there, so a ticket counts as seen only if some notification came while it was present.
class ScanningClient {
 public:
  explicit ScanningClient(QorSpy& spy) {
    QObject::connect(&spy, &QorSpy::Notify, &m_Context, [this](QByteArray path, short) { Scan(path.toStdString()); });
  }

  bool Found(const std::string& folder, const std::string& name) const {
    auto seen = m_Seen.find(folder);
    return seen != m_Seen.end() && seen->second.count(name) != 0;
  }

 private:
  void Scan(const std::string& folder) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return;
    while (dirent* entry = ::readdir(listing)) m_Seen[folder].insert(entry->d_name);
    ::closedir(listing);
  }

  QObject m_Context;
  std::map<std::string, std::set<std::string>> m_Seen;
};

struct Layout {
  std::string ticket;  // the listed ticket folder, "p/t"
  std::string parent;
  std::string elsewhere;
};
using Step = std::function<void(const Layout&)>;

void DropTicket(const Layout& layout) { WriteFile(layout.ticket + "/ticket.txt", "ticket"); }
void MoveInPreparedFolder(const Layout& layout) {
  MakeDir(layout.elsewhere);
  WriteFile(layout.elsewhere + "/ticket.txt", "ticket");
  Rename(layout.elsewhere, layout.ticket);
}

TEST(QorSpyRecovery, TicketFolderBackUnderItsPathIsScannedAndWatchedAgain) {
  struct Row {
    const char* name;
    bool existsAtStart;
    Step takeAway;
    Step bringBackWithTicket;
  };
  const Row kRows[] = {
      {"deleted, made again, ticket dropped", true, [](auto& l) { RemoveDir(l.ticket); },
       [](auto& l) {
         MakeDir(l.ticket);
         DropTicket(l);
       }},
      {"deleted, a prepared folder with a ticket moved in", true, [](auto& l) { RemoveDir(l.ticket); },
       MoveInPreparedFolder},
      {"replaced by a prepared folder with a ticket moved over it", true, [](auto&) {}, MoveInPreparedFolder},
      {"moved away, made again, ticket dropped", true, [](auto& l) { Rename(l.ticket, l.elsewhere + "-old"); },
       [](auto& l) {
         MakeDir(l.ticket);
         DropTicket(l);
       }},
      {"deleted with its parent, both made again, ticket dropped", true,
       [](auto& l) {
         RemoveDir(l.ticket);
         RemoveDir(l.parent);
       },
       [](auto& l) {
         MakeDir(l.parent);
         MakeDir(l.ticket);
         DropTicket(l);
       }},
      {"missing at start, made later, ticket dropped", false, [](auto&) {},
       [](auto& l) {
         MakeDir(l.parent);
         MakeDir(l.ticket);
         DropTicket(l);
       }},
      {"missing at start, a prepared folder with a ticket moved in", false, [](auto& l) { MakeDir(l.parent); },
       MoveInPreparedFolder},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    SpyFixture fixture;
    ScanningClient client(fixture.Spy());
    Layout layout{fixture.Root() + "/p/t", fixture.Root() + "/p", fixture.Root() + "/elsewhere"};
    if (row.existsAtStart) {
      MakeDir(layout.parent);
      MakeDir(layout.ticket);
    }
    std::string kept = fixture.MakeFolder("kept");
    fixture.Spy().AddFolder(layout.ticket);
    fixture.Spy().AddFolder(kept);
    ASSERT_TRUE(fixture.StartAndWait());
    EXPECT_EQ(row.existsAtStart ? 2 : 1, fixture.Recorder().LastBuild());
    EXPECT_EQ(1, fixture.Recorder().Count(layout.ticket, kNotifyStarted));  // first listed, even if missing

    // Settled: the worker has seen the folder go before it comes back.
    row.takeAway(layout);
    ASSERT_TRUE(fixture.Settle(kept));
    std::size_t from = fixture.Recorder().All().size();
    WriteFile(kept + "/k.txt", "x");
    row.bringBackWithTicket(layout);

    EXPECT_TRUE(fixture.Recorder().WaitUntil([&] { return client.Found(layout.ticket, "ticket.txt"); }));
    EXPECT_TRUE(fixture.Recorder().WaitUntil([&] {
      std::vector<short> types = fixture.Recorder().TypesFor(kept, from);
      return std::count(types.begin(), types.end(), kNotifyFileName) > 0;
    }));

    // Watched again: a ticket dropped now is reported under the folder's listed path.
    WriteFile(layout.ticket + "/later.txt", "ticket");
    EXPECT_TRUE(fixture.Recorder().WaitUntil([&] { return client.Found(layout.ticket, "later.txt"); }));
    EXPECT_EQ(1, fixture.Recorder().BuildCount());  // with no rebuild of the whole set
  }
}

TEST(QorSpyRecovery, TicketFolderDeletedAndMadeAgainOverAndOverEndsWatchedWithItsLastTicketSeen) {
  SpyFixture fixture;
  ScanningClient client(fixture.Spy());
  Layout layout{fixture.Root() + "/p/t", fixture.Root() + "/p", fixture.Root() + "/elsewhere"};
  MakeDir(layout.parent);
  MakeDir(layout.ticket);
  std::string kept = fixture.MakeFolder("kept");
  fixture.Spy().AddFolder(layout.ticket);
  fixture.Spy().AddFolder(kept);
  ASSERT_TRUE(fixture.StartAndWait());

  // The worker meets the folder at every stage of its coming and going, its parent's included.
  const int kRounds = 40;
  for (int round = 0; round < kRounds; ++round) {
    std::string ticket = layout.ticket + "/ticket-" + std::to_string(round) + ".txt";
    if (round > 0) {
      ASSERT_EQ(0, ::unlink((layout.ticket + "/ticket-" + std::to_string(round - 1) + ".txt").c_str()));
    }
    RemoveDir(layout.ticket);
    if (round % 2 == 1) {
      RemoveDir(layout.parent);
      MakeDir(layout.parent);
    }
    MakeDir(layout.ticket);
    WriteFile(ticket, "ticket");
    WriteFile(kept + "/k-" + std::to_string(round) + ".txt", "x");
  }

  std::string last = "ticket-" + std::to_string(kRounds - 1) + ".txt";
  EXPECT_TRUE(fixture.Recorder().WaitUntil([&] { return client.Found(layout.ticket, last); }));
  EXPECT_TRUE(fixture.Recorder().WaitUntil([&] { return client.Found(kept, "k-" + std::to_string(kRounds - 1) + ".txt"); }));
  WriteFile(layout.ticket + "/later.txt", "ticket");
  EXPECT_TRUE(fixture.Recorder().WaitUntil([&] { return client.Found(layout.ticket, "later.txt"); }));
}

}  // namespace
}  // namespace monitor::test

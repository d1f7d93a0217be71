#include "monitor/watch_folders.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace monitor {
namespace {

enum class WaitOutcome { kStop, kRebuild, kMountsChanged };

// Waits and reports until a stop, a rescan, a change of the mount table or a failed wait ends this
// wait set. mountTable is the open mount table of this process (-1 when it cannot be read), which
// the system marks with POLLPRI when a file system is mounted or unmounted.
WaitOutcome WaitAndReport(const WatcherLink& link, WatchSet& set, int mountTable) {
  while (true) {
    pollfd handles[4] = {{link.stopFd, POLLIN, 0},
                         {link.rescanFd, POLLIN, 0},
                         {link.inotifyFd, POLLIN, 0},
                         {mountTable, POLLPRI, 0}};
    // With a notification still pending the wait only looks, so stop and rescan keep their priority
    // over the folders and new changes are merged in before the next one is taken.
    int ready = ::poll(handles, 4, set.HasPending() ? 0 : -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return WaitOutcome::kRebuild;
    }
    if ((handles[0].revents & POLLIN) && ConsumeEvent(link.stopFd)) return WaitOutcome::kStop;
    if ((handles[1].revents & POLLIN) && ConsumeEvent(link.rescanFd)) return WaitOutcome::kRebuild;
    if (handles[3].revents & POLLPRI) return WaitOutcome::kMountsChanged;
    if (handles[2].revents & (POLLERR | POLLNVAL)) return WaitOutcome::kRebuild;
    if ((handles[2].revents & POLLIN) && !set.ReadAvailable()) return WaitOutcome::kRebuild;
    // A missing folder that is back is watched before anything is posted, so its scan (a raised
    // file-name flag) takes its place by list order with the other folders' pending changes.
    if (set.RecoveryWanted()) set.Recover();
    if (std::optional<FolderChange> change = set.TakeLowest()) link.post(*change);
  }
}

}  // namespace

void WatchFolders(const WatcherLink& link) {
  WatchSet set(link.inotifyFd, link.appeared.get());
  const int mountTable = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (mountTable >= 0) {
    // The first wait would report the table as changed: that is taken now.
    pollfd table{mountTable, POLLPRI, 0};
    ::poll(&table, 1, 0);
  }
  bool startPosted = false;
  bool mountsChanged = false;
  while (true) {
    std::vector<std::string> folders = link.folders();
    link.setBuilt(set.Build(folders));
    // A folder seen anew through another file system has changed as far as its client knows.
    if (mountsChanged) set.RaiseFileNameEverywhere();
    // The start notification follows the first build, so a client that scans the folder on it
    // cannot miss a file dropped right after its scan. With no folder listed there is nothing to
    // scan, and none is sent: an empty path would have the client scan its current directory.
    if (!startPosted && !folders.empty()) link.post(FolderChange{folders.front(), 0});
    startPosted = true;
    const WaitOutcome outcome = WaitAndReport(link, set, mountTable);
    if (outcome == WaitOutcome::kStop) break;
    mountsChanged = outcome == WaitOutcome::kMountsChanged;
  }
  set.Clear();
  if (mountTable >= 0) ::close(mountTable);
}

void SignalEvent(int eventFd) {
  std::uint64_t one = 1;
  while (::write(eventFd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

bool ConsumeEvent(int eventFd) {
  std::uint64_t count = 0;
  while (true) {
    if (::read(eventFd, &count, sizeof count) == static_cast<ssize_t>(sizeof count)) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace monitor

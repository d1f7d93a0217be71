#pragma once
// WatchFolders: the watcher's worker thread. It blocks in poll() on three descriptors, by priority:
// the stop eventfd, the rescan eventfd and the inotify instance, and never polls on a timer.
//
//   build:  copy the folder list, watch every folder that can be watched, report the set as built;
//           on the first build of a start, post the start notification (type 0, first folder).
//   wait:   stop -> remove the watches and end; rescan or a failed wait -> remove the watches and
//           build again from the list as it now stands; otherwise read every queued change, watch
//           again any missing folder that has come back (see WatchSet), then post the lowest
//           pending notification and wait again (without blocking while any is left); a change of
//           the mount table -> build again and report every folder as changed.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/appeared_names.h"
#include "monitor/watch_set.h"

namespace monitor {

struct WatcherLink {
  int stopFd = -1;     // eventfd: written once to end the worker
  int rescanFd = -1;   // eventfd: written when the folder list changed
  int inotifyFd = -1;  // non-blocking inotify instance, used by this worker alone
  std::shared_ptr<AppearedNames> appeared;  // filled with each folder's new names; may be none
  std::function<std::vector<std::string>()> folders;        // a copy of the list as it stands
  std::function<void(const FolderChange&)> post;            // hands a notification to the client thread
  std::function<void(int watchedFolders)> setBuilt;         // told after every build of the set
};

// Runs until the stop eventfd is written. Every call through the link is made on this thread.
void WatchFolders(const WatcherLink& link);

// Sets an eventfd, as setting an auto-reset event: several sets before a wake-up count as one.
void SignalEvent(int eventFd);
// Clears an eventfd; true when it was set.
bool ConsumeEvent(int eventFd);

}  // namespace monitor

#pragma once
// QorSpy: the folder watcher object. Interface calls run on the thread that created the object; one
// worker thread (WatchFolders) per start waits for changes and posts each notification back to that
// thread (platform::CQtWindowThread), so Notify is always raised on the creating thread, from its
// event loop. The watching itself (watch_folders.h, watch_set.h) is plain C++; this object is its
// face to the module's client.
//
// Choices where the watcher's contract leaves room:
// - Starting with an empty list builds an empty set and sends no start notification: there is no
//   folder to name, and an empty path would have the client scan its current directory.
// - Stop does not wait for the worker, but a start joins the stopped worker before starting the
//   next, and the destructor joins any worker; so the object never outlives its worker, and an old
//   worker can never consume the signals meant for a new one. Both eventfds are cleared before each
//   worker starts, so a signal left over from the previous run does not reach it either.
// - The folder list is guarded by a lock; the worker takes a copy of it at each build of its set.
// - There is no limit on the number of folders: inotify has no counterpart of the 64-handle wait.
// - Notifications already posted when the watcher stops are still raised, as posted messages were.
// - A change of the system's mount table (a share mounted over a listed folder, or unmounted) makes
//   the worker watch every folder anew and report each as changed: a folder hidden by a mount has no
//   changes of its own to report.

#include <QByteArray>
#include <QObject>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "monitor/appeared_names.h"
#include "monitor/qor_spy_interface.h"
#include "platform/file_descriptor.h"
#include "platform/qt_window_thread.h"

namespace monitor {

class QorSpy final : public QObject, public IQorSpy {
  Q_OBJECT
  Q_INTERFACES(monitor::IQorSpy)

 public:
  // A new watcher, stopped, with an empty list; nullptr when the inotify instance or the eventfds
  // cannot be made (the reason goes to the Qt warning log).
  static std::unique_ptr<QorSpy> Create();
  ~QorSpy() override;

  void AddFolder(const std::string& sPathName) override;
  void RemoveFolder(const std::string& sPathName) override;
  void put_Start(short value) override;
  short get_Start() const override;
  FolderNames TakeAppearedNames(const std::string& sPathName) override { return m_Appeared->Take(sPathName); }
  QObject* EventSource() override { return this; }

  // The watched list, in order.
  std::vector<std::string> Folders() const;
  // QorSpy objects alive in this process (the module may be unloaded when none is).
  static int LiveObjects();

 signals:
  void Notify(QByteArray sPathName, short nType);
  // The worker has (re)built its watches; watchedFolders of the listed folders are watched.
  void WatchSetBuilt(int watchedFolders);

 private:
  QorSpy(platform::FileDescriptor stopEvent, platform::FileDescriptor rescanEvent, platform::FileDescriptor inotify);
  void StartWorker();
  void StopWorker();

  mutable std::mutex m_FoldersLock;
  std::vector<std::string> m_Folders;
  platform::FileDescriptor m_StopEvent;
  platform::FileDescriptor m_RescanEvent;
  platform::FileDescriptor m_Inotify;
  // Shared with the worker, which fills it.
  std::shared_ptr<AppearedNames> m_Appeared = std::make_shared<AppearedNames>();
  // Notifications posted and not yet raised are dropped with the object.
  platform::CQtWindowThread m_CreatingThread;
  std::thread m_Thread;
  bool m_Started = false;
};

}  // namespace monitor

#include "monitor/qor_spy.h"

#include <sys/eventfd.h>
#include <sys/inotify.h>

#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "monitor/watch_folders.h"

namespace monitor {
namespace {

// The module's count of live objects, as a component server keeps one for unloading.
std::atomic<int> g_LiveObjects{0};

platform::FileDescriptor MakeEvent() { return platform::FileDescriptor(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)); }

}  // namespace

std::unique_ptr<QorSpy> QorSpy::Create() {
  platform::FileDescriptor stopEvent = MakeEvent();
  platform::FileDescriptor rescanEvent = MakeEvent();
  platform::FileDescriptor inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!stopEvent.IsOpen() || !rescanEvent.IsOpen() || !inotify.IsOpen()) {
    qWarning("QorSpy cannot be created: %s", std::strerror(errno));
    return nullptr;
  }
  return std::unique_ptr<QorSpy>(new QorSpy(std::move(stopEvent), std::move(rescanEvent), std::move(inotify)));
}

QorSpy::QorSpy(platform::FileDescriptor stopEvent, platform::FileDescriptor rescanEvent, platform::FileDescriptor inotify)
    : m_StopEvent(std::move(stopEvent)), m_RescanEvent(std::move(rescanEvent)), m_Inotify(std::move(inotify)) {
  setObjectName(QStringLiteral("QorSpy"));
  ++g_LiveObjects;
}

QorSpy::~QorSpy() {
  StopWorker();
  if (m_Thread.joinable()) m_Thread.join();
  --g_LiveObjects;
}

int QorSpy::LiveObjects() { return g_LiveObjects.load(); }

void QorSpy::AddFolder(const std::string& sPathName) {
  if (sPathName.empty()) return;
  {
    std::lock_guard<std::mutex> lock(m_FoldersLock);
    if (std::find(m_Folders.begin(), m_Folders.end(), sPathName) != m_Folders.end()) return;
    m_Folders.push_back(sPathName);
  }
  if (m_Started) SignalEvent(m_RescanEvent.Get());
}

void QorSpy::RemoveFolder(const std::string& sPathName) {
  {
    std::lock_guard<std::mutex> lock(m_FoldersLock);
    auto found = std::find(m_Folders.begin(), m_Folders.end(), sPathName);
    if (found == m_Folders.end()) return;
    m_Folders.erase(found);
  }
  if (m_Started) SignalEvent(m_RescanEvent.Get());
}

void QorSpy::put_Start(short value) {
  if (value == kVariantTrue) StartWorker();
  else StopWorker();
}

short QorSpy::get_Start() const { return m_Started ? kVariantTrue : kVariantFalse; }

std::vector<std::string> QorSpy::Folders() const {
  std::lock_guard<std::mutex> lock(m_FoldersLock);
  return m_Folders;
}

void QorSpy::StartWorker() {
  if (m_Started) return;
  // The previous worker has been told to stop; it ends at its next wake-up, which is immediate.
  if (m_Thread.joinable()) m_Thread.join();
  ConsumeEvent(m_StopEvent.Get());
  ConsumeEvent(m_RescanEvent.Get());
  WatcherLink link;
  link.stopFd = m_StopEvent.Get();
  link.rescanFd = m_RescanEvent.Get();
  link.inotifyFd = m_Inotify.Get();
  link.appeared = m_Appeared;
  link.folders = [this] { return Folders(); };
  link.post = [this](const FolderChange& change) {
    m_CreatingThread.Post([this, change] { emit Notify(QByteArray::fromStdString(change.path), change.type); });
  };
  link.setBuilt = [this](int watched) { m_CreatingThread.Post([this, watched] { emit WatchSetBuilt(watched); }); };
  try {
    m_Thread = std::thread(WatchFolders, std::move(link));
  } catch (const std::system_error& error) {
    // A worker that cannot be made leaves the watcher stopped; Start then reads false.
    qWarning("QorSpy cannot start its worker: %s", error.what());
    return;
  }
  m_Started = true;
}

void QorSpy::StopWorker() {
  if (!m_Started) return;
  SignalEvent(m_StopEvent.Get());
  m_Started = false;
}

}  // namespace monitor

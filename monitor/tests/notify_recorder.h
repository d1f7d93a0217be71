#pragma once
// A sink for the watcher's events, connected the way the driver's sink connects: by the event's
// signature through the IQorSpy interface. It keeps every notification with the thread it came on.

#include <QByteArray>
#include <QObject>
#include <QThread>
#include <functional>
#include <string>
#include <vector>

#include "monitor/qor_spy.h"

namespace monitor::test {

struct Received {
  std::string path;
  short type = 0;
  bool onCreatingThread = false;
};

class NotifyRecorder : public QObject {
  Q_OBJECT

 public:
  explicit NotifyRecorder(QorSpy& spy);

  const std::vector<Received>& All() const { return m_Received; }
  int Count(const std::string& path, short type) const;
  int CountOfType(short type) const;
  // Types received for path from notification number `from` on.
  std::vector<short> TypesFor(const std::string& path, std::size_t from = 0) const;
  int LastBuild() const { return m_Builds.empty() ? -1 : m_Builds.back(); }
  std::size_t BuildCount() const { return m_Builds.size(); }

  // Spins the event loop until condition holds; false when the generous limit passed first.
  bool WaitUntil(const std::function<bool()>& condition);
  bool WaitFor(const std::string& path, short type) {
    return WaitUntil([&] { return Count(path, type) > 0; });
  }
  // Waits for the next build of the watch set and returns how many folders it watches (-1: none).
  int WaitForNextBuild();

 public slots:
  void OnNotify(QByteArray sPathName, short nType);
  void OnWatchSetBuilt(int watchedFolders) { m_Builds.push_back(watchedFolders); }

 private:
  std::vector<Received> m_Received;
  std::vector<int> m_Builds;
};

}  // namespace monitor::test

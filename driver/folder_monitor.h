#pragma once
// The driver's folder monitor: the QorSpy watcher, created through its class id from the store, and
// the QorMonitorSink subscribed to it. The driver watches one folder per register; every notification
// reaches the target on the window thread.

#include <QObject>
#include <memory>
#include <string>

#include "driver/monitor_sink/qor_monitor_sink.h"
#include "monitor/qor_spy_interface.h"
#include "platform/store.h"

namespace driver {

class CFolderMonitor {
 public:
  explicit CFolderMonitor(const platform::Store& store);
  ~CFolderMonitor();

  // Creates the watcher and connects the sink; false when the watcher's module is not registered or
  // cannot be loaded, or the sink cannot connect (the reason goes to the debug log).
  bool Connect();
  void AddFolder(const std::string& folder);
  void RemoveFolder(const std::string& folder);
  void Start();
  // The names that appeared in the folder since the last ask (monitor::IQorSpy::TakeAppearedNames);
  // not complete without a watcher.
  monitor::FolderNames TakeAppearedNames(const std::string& folder);
  void SetTarget(IFolderNotifyTarget* target);
  // Disconnects the sink and releases the watcher, whose worker has ended when this returns.
  void Disconnect();

 private:
  platform::Store m_Store;
  std::unique_ptr<QObject> m_SpyObject;
  monitor::IQorSpy* m_Spy = nullptr;
  std::unique_ptr<CQorMonitorSink> m_Sink;
};

}  // namespace driver

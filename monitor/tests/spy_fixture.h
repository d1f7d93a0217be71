#pragma once
// A watcher on real folders of a fresh temporary folder, with a recording sink.

#include <sys/stat.h>

#include <memory>
#include <string>

#include "monitor/qor_spy.h"
#include "monitor/tests/notify_recorder.h"
#include "testsupport/temp_folder.h"

namespace monitor::test {

class SpyFixture {
 public:
  SpyFixture() : m_Spy(QorSpy::Create()), m_Recorder(std::make_unique<NotifyRecorder>(*m_Spy)) {}

  QorSpy& Spy() { return *m_Spy; }
  NotifyRecorder& Recorder() { return *m_Recorder; }
  const std::string& Root() const { return m_Temp.Path(); }

  // Makes a folder below the temporary folder and returns its path.
  std::string MakeFolder(const std::string& name) {
    std::string path = m_Temp / name;
    ::mkdir(path.c_str(), 0755);
    return path;
  }

  // Starts the watcher and waits until its watches are in place (its first build) and, with a
  // folder listed, until its start notification has arrived.
  bool StartAndWait() {
    std::size_t builds = m_Recorder->BuildCount();
    int starts = m_Recorder->CountOfType(kNotifyStarted);
    bool expectStart = !m_Spy->Folders().empty();
    m_Spy->put_Start(kVariantTrue);
    return m_Recorder->WaitUntil([&] {
      return m_Recorder->BuildCount() > builds && (!expectStart || m_Recorder->CountOfType(kNotifyStarted) > starts);
    });
  }

  // Makes a sub-folder in a listed folder and waits for its type-3 notification. The worker takes
  // the lowest pending change first, so once this arrives every change queued before it in a folder
  // listed earlier has been delivered too: what has not arrived by then was never reported.
  bool Settle(const std::string& sentinelFolder) {
    std::string path = sentinelFolder + "/settle-" + std::to_string(++m_Settles);
    int before = m_Recorder->Count(sentinelFolder, kNotifyDirName);
    ::mkdir(path.c_str(), 0755);
    return m_Recorder->WaitUntil([&] { return m_Recorder->Count(sentinelFolder, kNotifyDirName) > before; });
  }

  void Destroy() {
    m_Recorder.reset();
    m_Spy.reset();
  }

 private:
  testsupport::TempFolder m_Temp;
  std::unique_ptr<QorSpy> m_Spy;
  std::unique_ptr<NotifyRecorder> m_Recorder;
  int m_Settles = 0;
};

}  // namespace monitor::test

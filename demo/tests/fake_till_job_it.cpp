#include "demo/tests/fake_till_job_it.h"

#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <filesystem>

namespace demo::testing {
namespace {

// Each start writes "<argc>\n<argv[1]>" to a part file and renames it, so a record is read whole.
// The record folder (a temporary folder, no quotes in it) is written into the script.
std::string Script(const std::string& recordFolder) {
  return "#!/bin/sh\n"
         "out='" + recordFolder + "'/start.$$\n"
         "{ printf '%s\\n' \"$#\"; printf '%s' \"$1\"; } > \"$out.part\" && mv \"$out.part\" \"$out\"\n";
}

}  // namespace

FakeTillJobIt::FakeTillJobIt(const std::string& folder) : m_RecordFolder(folder + "/records") {
  std::filesystem::create_directories(m_RecordFolder);
  std::filesystem::create_directories(folder + "/bin");
  std::string script = folder + "/bin/TillJobIt";
  testsupport::WriteFile(script, Script(m_RecordFolder));
  ::chmod(script.c_str(), 0755);
  const char* path = std::getenv("PATH");
  m_Path = std::make_unique<testsupport::ScopedEnvironment>("PATH", folder + "/bin:" + (path ? path : "/usr/bin:/bin"));
  m_Chosen = std::make_unique<testsupport::ScopedEnvironment>("QOR_TILLJOBIT", "");
}

std::vector<RecordedStart> FakeTillJobIt::Starts() const {
  std::vector<RecordedStart> starts;
  for (const auto& entry : std::filesystem::directory_iterator(m_RecordFolder)) {
    if (entry.path().extension() == ".part") continue;
    std::string bytes = testsupport::ReadFile(entry.path().string());
    size_t newline = bytes.find('\n');
    if (newline == std::string::npos) continue;
    starts.push_back({std::atoi(bytes.substr(0, newline).c_str()), bytes.substr(newline + 1)});
  }
  return starts;
}

std::vector<RecordedStart> FakeTillJobIt::WaitForStarts(size_t count) const {
  WaitUntil([&] { return Starts().size() >= count; });
  return Starts();
}

bool WaitUntil(const std::function<bool()>& condition, int limitMilliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > limitMilliseconds) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

void WhenModalShown(const std::function<void(QWidget*)>& act) {
  auto* poll = new QTimer(qApp);
  auto* clock = new QElapsedTimer();
  clock->start();
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, clock, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr && clock->elapsed() < 10000) return;
    poll->stop();
    poll->deleteLater();
    delete clock;
    if (modal != nullptr) act(modal);
  });
  poll->start(5);
}

}  // namespace demo::testing

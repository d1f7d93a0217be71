#include "monitor/tests/notify_recorder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

namespace monitor::test {

NotifyRecorder::NotifyRecorder(QorSpy& spy) {
  ConnectNotify(&spy, this, SLOT(OnNotify(QByteArray,short)));
  connect(&spy, &QorSpy::WatchSetBuilt, this, &NotifyRecorder::OnWatchSetBuilt);
}

void NotifyRecorder::OnNotify(QByteArray sPathName, short nType) {
  m_Received.push_back({sPathName.toStdString(), nType, QThread::currentThread() == QCoreApplication::instance()->thread()});
}

int NotifyRecorder::Count(const std::string& path, short type) const {
  int count = 0;
  for (const Received& received : m_Received) count += (received.path == path && received.type == type) ? 1 : 0;
  return count;
}

int NotifyRecorder::CountOfType(short type) const {
  int count = 0;
  for (const Received& received : m_Received) count += received.type == type ? 1 : 0;
  return count;
}

std::vector<short> NotifyRecorder::TypesFor(const std::string& path, std::size_t from) const {
  std::vector<short> types;
  for (std::size_t index = from; index < m_Received.size(); ++index)
    if (m_Received[index].path == path) types.push_back(m_Received[index].type);
  return types;
}

bool NotifyRecorder::WaitUntil(const std::function<bool()>& condition) {
  // Generous: a loaded build machine can hold the worker back for seconds.
  return QTest::qWaitFor(condition, 20000);
}

int NotifyRecorder::WaitForNextBuild() {
  std::size_t before = m_Builds.size();
  if (!WaitUntil([&] { return m_Builds.size() > before; })) return -1;
  return m_Builds.back();
}

}  // namespace monitor::test

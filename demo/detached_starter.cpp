#include "demo/detached_starter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/debug_log.h"

namespace demo {

int CDetachedStarter::Start(const std::string& argument) {
  std::string program = FindTillJobIt(QCoreApplication::applicationDirPath().toStdString());
  // The form does not tell the user about a program that cannot be started (the run is counted
  // already); the log line at least says why nothing happened.
  if (program.empty()) {
    platform::DebugLog("TillDemo: %s not found on the search path", kTillJobItName);
    return 1;
  }
  if (!QProcess::startDetached(QString::fromStdString(program), QStringList{QString::fromStdString(argument)})) {
    platform::DebugLog("TillDemo: cannot start [%s]", program.c_str());
    return 1;
  }
  return 0;
}

}  // namespace demo

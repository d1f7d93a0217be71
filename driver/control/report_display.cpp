#include "driver/control/report_display.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/debug_log.h"

namespace driver {

bool CReportDisplay::ShowReport(const std::string& path) const {
  if (m_NotepadForReports) {
    // The path is the viewer's only argument; no shell ever sees it.
    const bool started = QProcess::startDetached(QString::fromLocal8Bit(m_ViewerProgram.c_str()),
                                                 QStringList{QString::fromLocal8Bit(path.c_str())});
    if (!started) platform::DebugLog("[ZEDO] cannot start the report viewer [%s]", m_ViewerProgram.c_str());
    return started;
  }
  ShowStatus("The request report has been saved in:" + path);
  return true;
}

}  // namespace driver

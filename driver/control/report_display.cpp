#include "driver/control/report_display.h"

#include "platform/debug_log.h"
#include "platform/program_start.h"

namespace driver {

bool CReportDisplay::ShowReport(std::int32_t ecr, const std::string& path) const {
  bool opened = false;
  if (m_NotepadForReports) {
    // The path is the viewer's only argument; no shell ever sees it.
    opened = platform::StartProgramDetached(m_ViewerProgram, {path});
    if (!opened) platform::DebugLog("[ZEDO] cannot start the report viewer [%s]", m_ViewerProgram.c_str());
  }
  if (m_ReportNotice) m_ReportNotice(ecr, path, opened);
  return opened || !m_NotepadForReports;
}

}  // namespace driver

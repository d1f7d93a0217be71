#pragma once
// Where a saved report goes when the user asked for it: the desktop's text viewer when the
// Notepad-for-reports switch is on, and the administration sheet while it is open, which tells on its
// status line where the report was saved (or only that it came, when the viewer shows it). The
// sheet's status line also takes the driver's notices. Used on the window thread only.

#include <cstdint>
#include <functional>
#include <string>

namespace driver {

class CReportDisplay {
 public:
  using StatusLine = std::function<void(const std::string&)>;
  using ReportNotice = std::function<void(std::int32_t ecr, const std::string& path, bool openedInViewer)>;

  // The process-wide switch of the About dialog; off at start, not stored.
  void SetNotepadForReports(bool on) { m_NotepadForReports = on; }
  bool NotepadForReports() const { return m_NotepadForReports; }

  // The viewer started with the report path as its only argument ("xdg-open" by default).
  void SetViewerProgram(std::string program) { m_ViewerProgram = std::move(program); }
  const std::string& ViewerProgram() const { return m_ViewerProgram; }

  // The open sheet's status line and its notice of saved reports; empty hooks mean no sheet is open.
  void SetStatusLine(StatusLine statusLine) { m_StatusLine = std::move(statusLine); }
  void SetReportNotice(ReportNotice notice) { m_ReportNotice = std::move(notice); }
  void ShowStatus(const std::string& text) const {
    if (m_StatusLine) m_StatusLine(text);
  }

  // Shows a saved report or history file of register ecr as the switch and the sheet say. False when
  // the viewer could not be started.
  bool ShowReport(std::int32_t ecr, const std::string& path) const;

 private:
  bool m_NotepadForReports = false;
  std::string m_ViewerProgram = "xdg-open";
  StatusLine m_StatusLine;
  ReportNotice m_ReportNotice;
};

}  // namespace driver

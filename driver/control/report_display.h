#pragma once
// Where a saved report goes when the user asked for it: the desktop's text viewer when the
// Notepad-for-reports switch is on, else the administration sheet's status line while the sheet is open.
// Used on the window thread only.

#include <functional>
#include <string>

namespace driver {

class CReportDisplay {
 public:
  using StatusLine = std::function<void(const std::string&)>;

  // The process-wide switch of the About dialog; off at start, not stored.
  void SetNotepadForReports(bool on) { m_NotepadForReports = on; }
  bool NotepadForReports() const { return m_NotepadForReports; }

  // The viewer started with the report path as its only argument ("xdg-open" by default).
  void SetViewerProgram(std::string program) { m_ViewerProgram = std::move(program); }
  const std::string& ViewerProgram() const { return m_ViewerProgram; }

  // The open sheet's status line; an empty hook means no sheet is open.
  void SetStatusLine(StatusLine statusLine) { m_StatusLine = std::move(statusLine); }
  bool SheetOpen() const { return static_cast<bool>(m_StatusLine); }
  void ShowStatus(const std::string& text) const {
    if (m_StatusLine) m_StatusLine(text);
  }

  // Shows a saved report or history file as the switch and the sheet say. False when the viewer
  // could not be started.
  bool ShowReport(const std::string& path) const;

 private:
  bool m_NotepadForReports = false;
  std::string m_ViewerProgram = "xdg-open";
  StatusLine m_StatusLine;
};

}  // namespace driver

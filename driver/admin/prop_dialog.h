#pragma once
// CPropDialog: the administration sheet. Seven pages in tabs and a read-only status line along the
// bottom, where the pages' messages, the outcome of what they sent and the driver's notices (register
// trouble, a saved report) appear, each with its time, a long one (a report's path) wrapped whole. It has no OK or Cancel: the window's close box ends it. It is a
// window of its own with a task-bar entry, since it suspends every ticket while it is open and must
// not get lost behind the point-of-sale program.

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <string>

#include "driver/admin/admin_page.h"
#include "driver/admin/sheet_host.h"
#include "driver/admin/sheet_status.h"

namespace driver {

inline constexpr int kSheetPages = 7;

class CPropDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit CPropDialog(ISheetHost& host, QWidget* parent = nullptr);

  // The driver's notices, on the window thread: a text for the status line, the end of a job of the
  // sheet, a report or history the control saved.
  void ShowStatus(const std::string& text);
  void JobEnded(const CSheetJobOutcome& outcome) { m_StatusLine.JobEnded(outcome); }
  void ReportSaved(std::int32_t ecr, const std::string& path, bool openedInViewer) {
    m_StatusLine.ReportSaved(ecr, path, openedInViewer);
  }
  std::string StatusText() const;

  QTabWidget& Tabs() { return m_Tabs; }
  CAdminPage& Page(int index);

 private:
  // Wide enough for every tab without scroll arrows in the language of the moment (the status line
  // wraps what is longer); never wider than the screen.
  QSize OpeningSize() const;

  QTabWidget m_Tabs;
  QLabel m_StatusTime;
  QPlainTextEdit m_Status;
  CSheetStatus m_StatusLine;
};

}  // namespace driver

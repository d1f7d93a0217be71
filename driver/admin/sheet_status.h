#pragma once
// CSheetStatus: the sheet's status line and what it tells of each action. Every text comes with the
// time it was shown, so an outcome like the one before is seen to be new. An action clears it and
// says to which register it went; when the register is done the line shows the outcome: done, or
// what the register refused with its code. A report or history asked to be saved shows where it was
// saved, or that none came within the register's completion limit. Validation messages and the
// driver's notices (register trouble) appear there too. Window thread only.

#include <QLabel>
#include <QObject>
#include <QPlainTextEdit>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "driver/admin/sheet_host.h"

namespace driver {

// Whether a job's outcome is a report the register saves (announced later by the control).
enum class SavedReport { NotExpected, Expected };

class CSheetStatus final : public QObject {
  Q_OBJECT
 public:
  CSheetStatus(ISheetHost& host, QPlainTextEdit& line, QLabel& time);

  // A text as it stands, wrapped when it is longer than the line.
  void Show(const std::string& text);
  // A catalogue text with its placeholders filled.
  void ShowMessage(const char* number, const std::vector<std::string>& values = {});
  std::string Text() const;

  // A job of the sheet was started on ecr; note (may be empty) follows the "sent" text, and the
  // "done" text when the job ends well.
  void JobStarted(const CEcrContext& ecr, std::int32_t jobCode, SavedReport report, const std::string& note = {});
  void JobNotStarted(const CEcrContext& ecr);
  // A direct utility's outcome shows the register's answer, or that the register stayed busy.
  void JobEnded(const CSheetJobOutcome& outcome);
  // The control saved a report or history of ecr; openedInViewer when the text viewer shows it.
  void ReportSaved(std::int32_t ecr, const std::string& path, bool openedInViewer);

 private:
  struct CPendingJob {
    std::uint64_t m_Serial = 0;
    std::int32_t m_JobCode = 0;
    bool m_AwaitsReport = false;
    bool m_ReportShown = false;
    bool m_Ended = false;  // the job has ended; its report is still to come
    std::chrono::milliseconds m_ReportLimit{0};
    std::string m_Note;
  };

  std::string Outcome(std::int32_t ecr, std::int32_t code) const;
  void WaitForReport(std::int32_t ecr, const CPendingJob& job);
  void DirectUtilityEnded(const CSheetJobOutcome& outcome);

  ISheetHost& m_Host;
  QPlainTextEdit& m_Line;
  QLabel& m_Time;
  // The last job sent to each register, until its outcome is shown.
  std::map<std::int32_t, CPendingJob> m_Pending;
  std::uint64_t m_NextSerial = 1;
};

}  // namespace driver

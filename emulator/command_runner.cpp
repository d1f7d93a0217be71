#include "emulator/command_runner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "emulator/journal.h"
#include "emulator/reports.h"
#include "emulator/star_family.h"
#include "emulator/ticket_elements.h"
#include "emulator/zero_family.h"

namespace emulator {

void CCommandRunner::Run(const CPendingCommand& command) {
  switch (command.m_Kind) {
    case CommandKind::kWrite: RunWrite(command); break;
    case CommandKind::kIODirect: RunIODirect(command); break;
    case CommandKind::kReport: RunReport(command); break;
    case CommandKind::kZeroSet: RunZeroSet(command); break;
    case CommandKind::kHistory: RunHistory(); break;
    case CommandKind::kRollback: RunRollback(); break;
  }
  // The completion queued above is told only after this: what it confirms is kept.
  m_Engine.Remember(m_Ecr);
  m_Engine.AnnounceStatusChanges();
}

std::optional<std::string> CCommandRunner::Ask(const std::string& question) {
  return m_Engine.AskDriver(m_StateLock, m_Ecr.m_Number, question);
}

void CCommandRunner::Checkpoint() { m_Engine.Announce(m_Ecr); }

void CCommandRunner::Print(const std::string& line) { m_Printed.push_back(line); }

// The journal gets the lines; with a line delay set the printer takes its time before the command ends.
void CCommandRunner::FinishPrinting() {
  if (m_Printed.empty()) return;
  AppendToJournal(m_Engine.BaseDirectory(), m_Ecr.m_Number, m_Printed);
  m_Engine.PrintingPause(m_StateLock, static_cast<int>(m_Printed.size()), m_Ecr.m_Faults.m_LineDelayMs);
  m_Printed.clear();
}

void CCommandRunner::QueueEvent(std::string logEntry, std::function<void(control_api::IFiscalControlEvents&)> deliver) {
  m_Engine.m_Outbox.push_back({std::move(logEntry), std::move(deliver)});
}

void CCommandRunner::QueueDirectIOEvent(std::int32_t result, const std::string& text) {
  const int number = m_Ecr.m_Number;
  QueueEvent("event DirectIOEvent " + std::to_string(number) + " " + std::to_string(result),
             [number, result, text](control_api::IFiscalControlEvents& sink) { sink.DirectIOEvent(number, result, text); });
}

void CCommandRunner::RunWrite(const CPendingCommand& command) {
  const int result = ExecuteElement(m_Ecr, command.m_Text, m_Printed);
  if (result != 0) Print("REFUSED " + command.m_Text + " RESULT " + std::to_string(result));
  m_Engine.AnnounceStatusChanges();
  FinishPrinting();
  const int number = m_Ecr.m_Number;
  const std::int32_t job = command.m_Job;
  QueueEvent("event OutputCompleteEvent " + std::to_string(number) + " " + std::to_string(job) + " " +
                 std::to_string(result),
             [number, job, result](control_api::IFiscalControlEvents& sink) { sink.OutputCompleteEvent(number, job, result); });
}

// An unknown command was refused at the call (203): it is only journalled and never completes.
void CCommandRunner::RunIODirect(const CPendingCommand& command) {
  if (command.m_Unknown) {
    Print("REFUSED " + command.m_Text + ": unknown command");
    FinishPrinting();
    return;
  }
  const CCommandOutcome outcome = m_Ecr.IsZeroFamily() ? ExecuteZeroCommand(m_Ecr, command.m_Text, *this)
                                                       : ExecuteStarCommand(m_Ecr, command.m_Text, *this);
  if (outcome.m_Refused) Print("REFUSED " + command.m_Text + ": " + outcome.m_Reason);
  FinishPrinting();
  if (outcome.m_Refused) {
    QueueDirectIOEvent(outcome.m_Result, "ERR " + outcome.m_Reason + ": " + command.m_Text);
  } else {
    QueueDirectIOEvent(kResultOk, "OK");
  }
}

void CCommandRunner::RunReport(const CPendingCommand& command) {
  const std::vector<std::string> lines = BuildReport(m_Ecr, command.m_Code);
  if (command.m_Print) {
    m_Printed = lines;
    FinishPrinting();
    QueueDirectIOEvent(kResultOk, "OK");
    return;
  }
  const std::string path = SaveReportFile(ReportName(command.m_Code), lines);
  if (path.empty()) return QueueNotSaved();
  const int number = m_Ecr.m_Number;
  const std::int32_t code = 51 + command.m_Code;
  QueueEvent("event ReportSavedEvent " + std::to_string(number) + " " + path,
             [number, code, path](control_api::IFiscalControlEvents& sink) { sink.ReportSavedEvent(number, code, path); });
}

// A zero-set always prints; without PRINT it is also saved as a report file.
void CCommandRunner::RunZeroSet(const CPendingCommand& command) {
  const std::vector<std::string> lines = ZeroSet(m_Ecr, command.m_Code);
  m_Printed = lines;
  FinishPrinting();
  if (!command.m_Print) {
    const std::string path = SaveReportFile(ZeroSetName(command.m_Code) + " ZEROSET", lines);
    const int number = m_Ecr.m_Number;
    const std::int32_t code = 80 + command.m_Code;
    if (!path.empty())
      QueueEvent("event ReportSavedEvent " + std::to_string(number) + " " + path,
                 [number, code, path](control_api::IFiscalControlEvents& sink) { sink.ReportSavedEvent(number, code, path); });
  }
  QueueDirectIOEvent(kResultOk, "OK");
}

// A report or history that cannot be written ends with a refusal, so the driver need not wait for a
// file that never comes.
void CCommandRunner::QueueNotSaved() {
  QueueDirectIOEvent(kResultNotSaved, "ERR report not saved in " + m_Engine.m_ReportFolder);
}

void CCommandRunner::RunHistory() {
  std::vector<std::string> lines = {"ECR " + std::to_string(m_Ecr.m_Number) + " HISTORY"};
  const std::vector<std::string> history = m_Engine.HistoryOf(m_Ecr);
  lines.insert(lines.end(), history.begin(), history.end());
  lines.push_back("END OF HISTORY");
  const std::string path = SaveReportFile("HISTORY", lines);
  if (path.empty()) return QueueNotSaved();
  const int number = m_Ecr.m_Number;
  QueueEvent("event HistorySavedEvent " + std::to_string(number) + " " + path,
             [number, path](control_api::IFiscalControlEvents& sink) { sink.HistorySavedEvent(number, path); });
}

void CCommandRunner::RunRollback() {
  m_Ecr.m_NewHistory.clear();
  m_Ecr.m_HistoryRolledBack = true;
  Print("HISTORY ROLLED BACK");
  FinishPrinting();
}

// "<report folder>/ECR<n>_<NAME>_<sequence>.txt"; empty when it cannot be written.
std::string CCommandRunner::SaveReportFile(const std::string& name, const std::vector<std::string>& lines) {
  std::string fileName = name;
  for (char& c : fileName)
    if (c == ' ') c = '_';
  char sequence[16];
  std::snprintf(sequence, sizeof sequence, "%04d", ++m_Ecr.m_ReportSequence);
  const std::string folder = m_Engine.m_ReportFolder;
  const std::string path = folder + "/ECR" + std::to_string(m_Ecr.m_Number) + "_" + fileName + "_" + sequence + ".txt";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << '\n';
  out.close();
  if (!out) {
    Print("REPORT NOT SAVED: " + path);
    FinishPrinting();
    return {};
  }
  return path;
}

}  // namespace emulator

#include "driver/ecr/till_elements.h"

#include "driver/control/status_parse.h"
#include "driver/control/tag_value.h"
#include "driver/ecr/command_strings.h"
#include "driver/ecr/result_codes.h"

// Report, zero-set, history, header and status elements of a command document.

namespace driver {

std::string ChildValue(const std::string& line, const char* name) {
  std::string open = std::string("<") + name + ">";
  std::string close = std::string("</") + name + ">";
  return GetTagValue(line, open, close);
}

std::int32_t CTillJobElements::FiscalClosure(const std::string&) {
  m_Job.m_Inputs.m_ZeroSetType = kFiscalClosureType;
  if (std::int32_t code = m_Job.ZeroSet(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

// A report is either printed (it ends with a DirectIOEvent once the printing is done) or saved to a
// file (ReportSavedEvent); a register that cannot save it refuses it.
std::int32_t CTillJobElements::ReportRequest(const std::string& line) {
  CJobInputs& inputs = m_Job.m_Inputs;
  inputs.m_ReportType = ReadNumber(ChildValue(line, "TYPE"));
  if (inputs.m_ReportType < 0) return kCodeNegativeType;
  inputs.m_PrintFlag = ChildValue(line, "PRINT") == "1" ? 1 : 0;
  m_Ecr.m_QuietReport = 1;
  m_Ecr.m_ReportReady = 0;
  m_Ecr.m_IoDirectComplete = 0;
  std::int32_t code = m_Job.Report();
  if (code != kCodeSuccess) return code;
  if (inputs.m_PrintFlag) {
    code = m_Job.WaitIoDirectComplete();
  } else {
    code = AwaitSavedFile(m_Ecr.m_ReportReady);
    if (code != kCodeSuccess) return code;
    m_Job.WriteReplyString(m_Ecr.m_ReportPath.Get());
  }
  m_Job.WriteWarning(code);
  if (code != kCodeSuccess) m_Job.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::ZeroSetRequest(const std::string& line) {
  CJobInputs& inputs = m_Job.m_Inputs;
  inputs.m_ZeroSetType = ReadNumber(ChildValue(line, "TYPE"));
  if (inputs.m_ZeroSetType < 0) return kCodeNegativeType;
  inputs.m_PrintFlag = ChildValue(line, "PRINT") == "1" ? 1 : 0;
  m_Ecr.m_IoDirectComplete = 0;
  std::int32_t code = m_Job.ZeroSet();
  if (code != kCodeSuccess) return code;
  code = m_Job.WaitIoDirectComplete();
  m_Job.WriteWarning(code);
  if (code != kCodeSuccess) m_Job.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::HistoryRequest(const std::string&) {
  m_Ecr.m_QuietReport = 1;
  m_Ecr.m_HistoryReady = 0;
  m_Ecr.m_HistoryPath.Set("");
  m_Ecr.m_IoDirectComplete = 0;
  if (std::int32_t code = m_Job.HistoryRequest(); code != kCodeSuccess) return code;
  if (std::int32_t code = AwaitSavedFile(m_Ecr.m_HistoryReady); code != kCodeSuccess) return code;
  m_Job.WriteReplyString(m_Ecr.m_HistoryPath.Get());
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::AwaitSavedFile(Flag& saved) {
  const auto refused = [&] { return m_Ecr.m_IoDirectComplete && m_Ecr.m_IoDirectResult != 0; };
  m_Job.WaitFor([&] { return saved || m_Ecr.m_GenericError || refused(); }, m_Ecr.m_Limits.m_Completion);
  if (!saved && refused()) {
    m_Job.WriteWarning(kCodeFailure);
    return kCodeFailure;
  }
  return m_Job.GetEcrError(saved, 1, m_Ecr.m_Limits.m_Completion);
}

std::int32_t CTillJobElements::HistoryRollback(const std::string&) {
  if (std::int32_t code = m_Job.HistoryRollback(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::TableSummary(const std::string&) {
  m_Ecr.m_IoDirectComplete = 0;
  if (std::int32_t code = m_Job.SendIODirect(kTableSummary); code != kCodeSuccess) return code;
  std::int32_t code = m_Job.WaitIoDirectComplete();
  m_Job.WriteWarning(code);
  if (code != kCodeSuccess) m_Job.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::SetHeader(const std::string& line) {
  static const char* const kLines[] = {"LINE1", "LINE2", "LINE3", "LINE4", "LINE5", "LINE6"};
  CJobInputs& inputs = m_Job.m_Inputs;
  for (int i = 0; i < 3; ++i) inputs.m_AnswerA[i] = ChildValue(line, kLines[i]);
  for (int i = 0; i < 3; ++i) inputs.m_AnswerB[i] = ChildValue(line, kLines[3 + i]);
  if (std::int32_t code = m_Job.SetHeader(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::ReadStatus(const std::string&) {
  std::int32_t requestStatus = 0;
  if (m_Job.ReadEcrStatus(requestStatus) != kCodeSuccess) {
    m_Job.WriteWarning(kCodeNoStatus);
    return kCodeNoStatus;
  }
  m_Job.WriteReplyString(FormatText("%2d%2d%2s%2d%2d%s", m_Ecr.m_TicketOpen.load(), m_Ecr.m_GenericError.load(),
                                    m_Ecr.m_Operating.Get().c_str(), m_Ecr.m_PaperOut.load(),
                                    m_Ecr.m_KeyLocked.load(), m_Ecr.m_Hello.Get().c_str()));
  return kCodeSuccess;
}

}  // namespace driver

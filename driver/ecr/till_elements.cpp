#include "driver/ecr/till_elements.h"

#include "driver/control/status_parse.h"
#include "driver/control/tag_value.h"
#include "driver/ecr/command_strings.h"
#include "driver/ecr/result_codes.h"

// Programming, report and utility elements of a command document. Department, PLU and offer batches
// stay open across consecutive records of one kind; any other element ends them first.

namespace driver {

std::string ChildValue(const std::string& line, const char* name) {
  std::string open = std::string("<") + name + ">";
  std::string close = std::string("</") + name + ">";
  return GetTagValue(line, open, close);
}

std::int32_t CTillJobElements::FiscalClosure(const std::string&) {
  m_Job.EndBatches();
  m_Ecr.m_IoDirectComplete = 0;
  m_Ecr.m_ZeroSetType = -1;
  if (std::int32_t code = m_Job.ZeroSet(); code != kCodeSuccess) return code;
  if (std::int32_t code = m_Job.WaitIoDirectComplete(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::ReportRequest(const std::string& line) {
  m_Job.EndBatches();
  m_Ecr.m_ReportType = ReadNumber(ChildValue(line, "TYPE"));
  if (m_Ecr.m_ReportType < 0) return kCodeNegativeType;
  m_Ecr.m_PrintFlag = ChildValue(line, "PRINT") == "1" ? 1 : 0;
  m_Ecr.m_QuietReport = 1;
  m_Ecr.m_ReportReady = 0;
  std::int32_t code = m_Job.Report();
  if (code != kCodeSuccess) return code;
  if (m_Ecr.m_PrintFlag) {
    code = m_Job.WaitIoDirectComplete();
  } else {
    m_Job.WaitFor([&] { return m_Ecr.m_ReportReady || m_Ecr.m_GenericError; }, m_Ecr.m_Limits.m_Completion);
    code = m_Job.GetEcrError(m_Ecr.m_ReportReady, 1);
    if (code != kCodeSuccess) return code;
    m_Job.WriteReplyString(m_Ecr.m_ReportPath.Get());
  }
  m_Job.WriteWarning(code);
  if (code != kCodeSuccess) m_Job.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::ZeroSetRequest(const std::string& line) {
  m_Job.EndBatches();
  m_Ecr.m_ZeroSetType = ReadNumber(ChildValue(line, "TYPE"));
  if (m_Ecr.m_ZeroSetType < 0) return kCodeNegativeType;
  m_Ecr.m_PrintFlag = ChildValue(line, "PRINT") == "1" ? 1 : 0;
  std::int32_t code = m_Job.ZeroSet();
  if (code != kCodeSuccess) return code;
  code = m_Job.WaitIoDirectComplete();
  m_Job.WriteWarning(code);
  if (code != kCodeSuccess) m_Job.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::HistoryRequest(const std::string&) {
  m_Job.EndBatches();
  m_Ecr.m_QuietReport = 1;
  m_Ecr.m_HistoryReady = 0;
  m_Ecr.m_HistoryPath.Set("");
  if (std::int32_t code = m_Job.HistoryRequest(); code != kCodeSuccess) return code;
  // A history can take long to save: no time limit, only the register's own error ends the wait.
  m_Ecr.WaitUntil([&] { return m_Ecr.m_HistoryReady || m_Ecr.m_GenericError; });
  if (std::int32_t code = m_Job.GetEcrError(m_Ecr.m_HistoryReady, 1); code != kCodeSuccess) return code;
  m_Job.WriteReplyString(m_Ecr.m_HistoryPath.Get());
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::HistoryRollback(const std::string&) {
  m_Job.EndBatches();
  if (std::int32_t code = m_Job.HistoryRollback(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::TableSummary(const std::string&) {
  m_Job.EndBatches();
  m_Ecr.m_IoDirectComplete = 0;
  if (std::int32_t code = m_Job.SendIODirect(kTableSummary); code != kCodeSuccess) return code;
  std::int32_t code = m_Job.WaitIoDirectComplete();
  m_Job.WriteWarning(code);
  if (code != kCodeSuccess) m_Job.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::SetHeader(const std::string& line) {
  m_Job.EndBatches();
  static const char* const kLines[] = {"LINE1", "LINE2", "LINE3", "LINE4", "LINE5", "LINE6"};
  for (int i = 0; i < 3; ++i) m_Ecr.m_AnswerA[i] = ChildValue(line, kLines[i]);
  for (int i = 0; i < 3; ++i) m_Ecr.m_AnswerB[i] = ChildValue(line, kLines[3 + i]);
  m_Ecr.m_ExchangePending = 1;
  if (std::int32_t code = m_Job.SetHeader(); code != kCodeSuccess) return code;
  m_Job.WaitFor([&] { return !m_Ecr.m_ExchangePending || m_Ecr.m_GenericError; }, m_Ecr.m_Limits.m_Exchange);
  if (std::int32_t code = m_Job.GetEcrError(m_Ecr.m_ExchangePending, 0); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::ReadStatus(const std::string&) {
  m_Job.EndBatches();
  std::int32_t requestStatus = 0;
  if (ReadRegisterStatus(requestStatus) != kCodeSuccess) {
    m_Job.WriteWarning(kCodeNoStatus);
    return kCodeNoStatus;
  }
  m_Job.WriteReplyString(FormatText("%2d%2d%2s%2d%2d%s", m_Ecr.m_TicketOpen.load(), m_Ecr.m_GenericError.load(),
                                    m_Ecr.m_Operating.Get().c_str(), m_Ecr.m_PaperOut.load(),
                                    m_Ecr.m_KeyLocked.load(), m_Ecr.m_Hello.Get().c_str()));
  return kCodeSuccess;
}

std::int32_t CTillJobElements::ReadRegisterStatus(std::int32_t& requestStatus) {
  std::string text;
  requestStatus = m_Job.SendRequest(kRequestStatus, text);
  if (requestStatus != kCodeSuccess) return requestStatus;
  m_Ecr.m_StatusText.Set(text);
  if (text.empty()) return kCodeNoStatus;
  if (ParseEcrStatus(m_Ecr) == StatusFollowUp::kStatusAlert) m_Job.m_pDriver.PostStatusAlert(m_Ecr.m_EcrId);
  return kCodeSuccess;
}

}  // namespace driver

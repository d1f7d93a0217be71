#include "driver/ecr/till_elements.h"

#include "driver/control/status_parse.h"
#include "driver/control/tag_value.h"
#include "driver/ecr/command_strings.h"
#include "driver/tickets/result_codes.h"

// Report, zero-set, history, header and status elements of a command document.

namespace driver {

std::string ChildValue(const std::string& line, const char* name) {
  std::string open = std::string("<") + name + ">";
  std::string close = std::string("</") + name + ">";
  return GetTagValue(line, open, close);
}

std::int32_t CTillJobElements::FiscalClosure(const std::string&) {
  if (std::int32_t code = m_Commands.ZeroSet({kFiscalClosureType}); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

// A report is either printed (it ends with a DirectIOEvent once the printing is done) or saved to a
// file (ReportSavedEvent); a register that cannot save it refuses it.
std::int32_t CTillJobElements::ReportRequest(const std::string& line) {
  CReportJob report;
  report.m_ReportType = ReadNumber(ChildValue(line, "TYPE"));
  if (report.m_ReportType < 0) return kCodeNegativeType;
  report.m_PrintFlag = ChildValue(line, "PRINT") == "1" ? 1 : 0;
  m_Session.Events().ExpectIoDirect();
  std::int32_t code = m_Commands.Report(report);
  if (code != kCodeSuccess) return code;
  if (report.m_PrintFlag) {
    code = m_Session.WaitIoDirectComplete();
  } else {
    code = AwaitSavedFile([this] { return m_Session.Events().ReportReady(); });
    if (code != kCodeSuccess) return code;
    m_Session.WriteReplyString(m_Session.Events().ReportPath());
  }
  m_Session.WriteWarning(code);
  if (code != kCodeSuccess) m_Session.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::ZeroSetRequest(const std::string& line) {
  CZeroSetJob zeroSet;
  zeroSet.m_ZeroSetType = ReadNumber(ChildValue(line, "TYPE"));
  if (zeroSet.m_ZeroSetType < 0) return kCodeNegativeType;
  zeroSet.m_PrintFlag = ChildValue(line, "PRINT") == "1" ? 1 : 0;
  m_Session.Events().ExpectIoDirect();
  std::int32_t code = m_Commands.ZeroSet(zeroSet);
  if (code != kCodeSuccess) return code;
  code = m_Session.WaitIoDirectComplete();
  m_Session.WriteWarning(code);
  if (code != kCodeSuccess) m_Session.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::HistoryRequest(const std::string&) {
  m_Session.Events().ExpectIoDirect();
  if (std::int32_t code = m_Commands.HistoryRequest(); code != kCodeSuccess) return code;
  const std::int32_t code = AwaitSavedFile([this] { return m_Session.Events().HistoryReady(); });
  if (code != kCodeSuccess) return code;
  m_Session.WriteReplyString(m_Session.Events().HistoryPath());
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::AwaitSavedFile(const std::function<bool()>& saved) {
  const auto refused = [&] { return m_Session.Events().IoDirectDone() && m_Session.Events().IoDirectResult() != 0; };
  m_Session.WaitFor([&] { return saved() || m_Session.Status().m_GenericError || refused(); },
                    m_Session.Limits().m_Completion);
  if (!saved() && refused()) {
    m_Session.WriteWarning(kCodeFailure);
    return kCodeFailure;
  }
  return m_Session.GetEcrError(saved, m_Session.Limits().m_Completion);
}

std::int32_t CTillJobElements::HistoryRollback(const std::string&) {
  if (std::int32_t code = m_Commands.HistoryRollback(); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::TableSummary(const std::string&) {
  m_Session.Events().ExpectIoDirect();
  if (std::int32_t code = m_Session.SendIODirect(kTableSummary); code != kCodeSuccess) return code;
  std::int32_t code = m_Session.WaitIoDirectComplete();
  m_Session.WriteWarning(code);
  if (code != kCodeSuccess) m_Session.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::SetHeader(const std::string& line) {
  static const char* const kLines[] = {"LINE1", "LINE2", "LINE3", "LINE4", "LINE5", "LINE6"};
  CHeaderJob header;
  for (int i = 0; i < 3; ++i) header.m_AnswerA[i] = ChildValue(line, kLines[i]);
  for (int i = 0; i < 3; ++i) header.m_AnswerB[i] = ChildValue(line, kLines[3 + i]);
  if (std::int32_t code = m_Commands.SetHeader(header); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::ReadStatus(const std::string&) {
  std::int32_t requestStatus = 0;
  if (m_Session.ReadEcrStatus(requestStatus) != kCodeSuccess) {
    m_Session.WriteWarning(kCodeNoStatus);
    return kCodeNoStatus;
  }
  // One status, as it came: the line never mixes two status texts.
  const CEcrStatus status = m_Session.Status();
  m_Session.WriteReplyString(FormatText("%2d%2d%2s%2d%2d%s", status.m_TicketOpen, status.m_GenericError,
                                        status.m_Operating.c_str(), status.m_PaperOut, status.m_KeyLocked,
                                        status.m_Hello.c_str()));
  return kCodeSuccess;
}

}  // namespace driver

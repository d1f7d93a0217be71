#include "driver/admin/sheet_status.h"

#include <QTime>
#include <QTimer>

#include "control_api/fiscal_control.h"
#include "driver/admin/admin_page.h"
#include "driver/ecr/direct_utility.h"
#include "driver/tickets/result_codes.h"
#include "driver/messages.h"

namespace driver {
namespace {

// What a job's code means, in words of the catalogue; any other code is the control's own status.
struct CCodeText {
  std::int32_t m_Code;
  const char* m_Number;
};
constexpr CCodeText kCodeTexts[] = {
    {kCodeFailure, "70"},           {kCodeOffersUnsupported, "71"}, {kCodeNoHeaderProgramming, "72"},
    {kCodeNoStatus, "73"},          {kCodeNoProgramming, "74"},     {kCodePaperOut, "75"},
    {kCodeKeyboard, "76"},          {kCodeNotOperating, "77"},      {kCodeGenericError, "78"},
    // The control's own statuses that have a meaning in every control.
    {control_api::kStatusUnknownCommand, "102"}, {control_api::kResultCommandRefused, "103"},
    {control_api::kStatusNotOpen, "104"},        {control_api::kStatusUnknownRegister, "105"},
    {control_api::kStatusNoAnswer, "106"},       {control_api::kResultNotSaved, "107"},
};
constexpr const char* kControlStatusText = "79";

std::string Number(std::int32_t value) { return std::to_string(value); }

std::string WithNote(const std::string& text, const std::string& note) { return note.empty() ? text : text + " " + note; }

}  // namespace

CSheetStatus::CSheetStatus(ISheetHost& host, QPlainTextEdit& line, QLabel& time)
    : m_Host(host), m_Line(line), m_Time(time) {}

void CSheetStatus::Show(const std::string& text) {
  m_Line.setPlainText(FromBytes(text));
  m_Line.setToolTip(m_Line.toPlainText());
  m_Time.setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

void CSheetStatus::ShowMessage(const char* number, const std::vector<std::string>& values) {
  Show(FillIn(m_Host.MessageText(number), values));
}

std::string CSheetStatus::Text() const { return ToBytes(m_Line.toPlainText()); }

std::string CSheetStatus::Outcome(std::int32_t ecr, std::int32_t code) const {
  if (code == kCodeSuccess) return FillIn(m_Host.MessageText("68"), {Number(ecr)});
  const char* meaning = kControlStatusText;
  for (const CCodeText& entry : kCodeTexts)
    if (entry.m_Code == code) meaning = entry.m_Number;
  return FillIn(m_Host.MessageText("69"), {Number(ecr), m_Host.MessageText(meaning), Number(code)});
}

void CSheetStatus::JobStarted(const CEcrContext& ecr, std::int32_t jobCode, SavedReport report,
                              const std::string& note) {
  CPendingJob job;
  job.m_Serial = m_NextSerial++;
  job.m_JobCode = jobCode;
  job.m_AwaitsReport = report == SavedReport::Expected;
  job.m_ReportLimit = ecr.Limits().m_Completion;
  job.m_Note = note;
  m_Pending[ecr.m_EcrId] = job;
  Show(WithNote(FillIn(m_Host.MessageText("67"), {Number(ecr.m_EcrId)}), note));
}

void CSheetStatus::JobNotStarted(const CEcrContext& ecr) { ShowMessage("94", {Number(ecr.m_EcrId)}); }

// A report announced before its job's end stays on the line; a report still to come is waited for.
void CSheetStatus::JobEnded(const CSheetJobOutcome& outcome) {
  if (outcome.m_JobCode == kJobDirectUtility) {
    DirectUtilityEnded(outcome);
    return;
  }
  auto pending = m_Pending.find(outcome.m_EcrId);
  const bool ours = pending != m_Pending.end() && pending->second.m_JobCode == outcome.m_JobCode;
  if (ours && outcome.m_Code == kCodeSuccess && pending->second.m_AwaitsReport) {
    pending->second.m_Ended = true;
    WaitForReport(outcome.m_EcrId, pending->second);
    return;
  }
  const bool reportShown = ours && pending->second.m_ReportShown;
  const std::string note = ours && outcome.m_Code == kCodeSuccess ? pending->second.m_Note : std::string();
  if (ours) m_Pending.erase(pending);
  if (!reportShown || outcome.m_Code != kCodeSuccess) Show(WithNote(Outcome(outcome.m_EcrId, outcome.m_Code), note));
}

void CSheetStatus::WaitForReport(std::int32_t ecr, const CPendingJob& job) {
  ShowMessage("81", {Number(ecr)});
  const std::uint64_t serial = job.m_Serial;
  QTimer::singleShot(job.m_ReportLimit, this, [this, ecr, serial] {
    auto pending = m_Pending.find(ecr);
    if (pending == m_Pending.end() || pending->second.m_Serial != serial || !pending->second.m_AwaitsReport) return;
    m_Pending.erase(pending);
    ShowMessage("82", {Number(ecr)});
  });
}

// With the text viewer showing the report the line says nothing of it, unless the viewer could not
// be started: then the path is all there is.
void CSheetStatus::ReportSaved(std::int32_t ecr, const std::string& path, bool openedInViewer) {
  bool jobEnded = false;
  if (auto pending = m_Pending.find(ecr); pending != m_Pending.end()) {
    CPendingJob& job = pending->second;
    job.m_AwaitsReport = false;
    job.m_ReportShown = !openedInViewer;
    jobEnded = job.m_Ended;
    if (jobEnded) m_Pending.erase(pending);
  }
  if (!openedInViewer) {
    ShowMessage("80", {path});
  } else if (jobEnded) {
    Show(Outcome(ecr, kCodeSuccess));
  }
}

// The register's own answer is what the line shows: the text it completed the command with.
void CSheetStatus::DirectUtilityEnded(const CSheetJobOutcome& outcome) {
  if (auto pending = m_Pending.find(outcome.m_EcrId);
      pending != m_Pending.end() && pending->second.m_JobCode == kJobDirectUtility) {
    m_Pending.erase(pending);
  }
  if (outcome.m_RegisterBusy) {
    ShowMessage("93", {Number(outcome.m_EcrId)});
  } else if (outcome.m_Code != kCodeSuccess || outcome.m_Answer.empty()) {
    Show(Outcome(outcome.m_EcrId, outcome.m_Code));
  } else {
    ShowMessage("96", {Number(outcome.m_EcrId), outcome.m_Answer});
  }
}

}  // namespace driver

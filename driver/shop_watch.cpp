#include "driver/shop_watch.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "driver/status/status_file.h"
#include "driver/status/status_json.h"
#include "driver/status/status_time.h"
#include "driver/status/summary_line.h"
#include "driver/tickets/result_codes.h"
#include "platform/debug_log.h"
#include "platform/fault_point.h"

namespace driver {
namespace {

constexpr std::chrono::milliseconds kWriteDelay{200};
constexpr std::chrono::milliseconds kLookPeriod{1000};
constexpr std::chrono::seconds kMetricsPeriod{10};
// A ticket under way longer than this needs a person to look.
constexpr std::chrono::minutes kLongTicket{1};

// "…/abc_0007.xmm" was made from the ticket "abc.txt" (numbered names: "%s_%04d").
std::string TicketOfDocument(const std::string& documentPath) {
  std::string name = documentPath.substr(documentPath.rfind('/') + 1);
  const std::size_t numbered = name.rfind('_');
  return numbered == std::string::npos ? name : name.substr(0, numbered) + ".txt";
}

std::string TicketOfReply(const std::string& replyPath) {
  std::string name = replyPath.substr(replyPath.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  return (dot == std::string::npos ? name : name.substr(0, dot)) + ".txt";
}

// The next local midnight after now: the day's counts start again there.
std::chrono::system_clock::time_point NextMidnight() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  ::localtime_r(&now, &local);
  local.tm_mday += 1;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

}  // namespace

CShopWatch::CShopWatch(CShopWatchLinks links, QObject* parent)
    : QObject(parent), m_Links(std::move(links)), m_StartedAt(std::chrono::system_clock::now()), m_NextDay(NextMidnight()) {
  m_Soon.setSingleShot(true);
  m_Soon.setInterval(kWriteDelay);
  connect(&m_Soon, &QTimer::timeout, this, &CShopWatch::Refresh);
  m_Look.setInterval(kLookPeriod);
  connect(&m_Look, &QTimer::timeout, this, &CShopWatch::Look);
  connect(&m_KeepAlive, &QTimer::timeout, this, &CShopWatch::KeepAlive);
}

void CShopWatch::Started() {
  m_Started = true;
  LookAtRegisters();
  Refresh();
  m_Look.start();
  m_Notifier.Ready(m_Summary);
  // Twice per period, as systemd advises: one late keep-alive is no restart.
  if (const auto interval = m_Notifier.WatchdogInterval(); interval.count() > 0) {
    m_KeepAlive.start(std::chrono::duration_cast<std::chrono::milliseconds>(interval / 2));
    KeepAlive();
  }
}

void CShopWatch::Stopping() {
  m_Stopping = true;
  m_Notifier.Stopping();
  if (m_Started) Refresh();
}

void CShopWatch::KeepAlive() {
  // A test build makes the window thread hang here (QOR_FAULT_POINT=keep-alive:n, QOR_FAULT_SIGNAL=HANG).
  platform::FaultPoint("keep-alive");
  m_Notifier.KeepAlive();
}

void CShopWatch::JobBegan(CJobThreadIdentity job, std::int32_t ecr, const std::string& documentPath) {
  CJobUnderWay underWay{ecr, documentPath.empty() ? std::string() : TicketOfDocument(documentPath),
                        std::chrono::system_clock::now(), std::chrono::steady_clock::now()};
  m_Jobs.emplace_back(job, std::move(underWay));
  LookAt(ecr);
  Touch();
}

void CShopWatch::JobEnded(CJobThreadIdentity job) {
  const auto found = std::find_if(m_Jobs.begin(), m_Jobs.end(), [&](const auto& entry) { return entry.first == job; });
  if (found == m_Jobs.end()) return;
  const std::int32_t ecr = found->second.m_Ecr;
  m_Jobs.erase(found);
  LookAt(ecr);
  Touch();
}

void CShopWatch::TicketAnswered(const CTicketAnswer& answer) {
  if (std::chrono::system_clock::now() >= m_NextDay) StartNewDay();
  CRegisterFacts& facts = m_Facts[answer.m_EcrId];
  const std::string at = StatusTime(std::chrono::system_clock::now());
  facts.m_LastReply = CLastReply{TicketOfReply(answer.m_ReplyPath), answer.m_Code, at};
  ++facts.m_RepliesToday[answer.m_Code];
  // A ticket given up because the register never confirmed: it does not answer until a ticket passes.
  facts.m_NoAnswer = answer.m_Code == kCodeFailure;
  if (facts.m_NoAnswer) facts.m_Trouble = CTrouble{at, "no answer from the register (reply 3 to " +
                                                          facts.m_LastReply->m_Ticket + ")"};
  LookAt(answer.m_EcrId);
  for (const auto& [identity, job] : m_Jobs) {
    if (job.m_Ecr != answer.m_EcrId || job.m_Ticket.empty()) continue;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - job.m_Began;
    m_Counters.m_TicketDurations[answer.m_EcrId].Add(took.count());
    break;
  }
  Touch();
}

void CShopWatch::Touch() {
  if (m_Started && !m_Soon.isActive()) m_Soon.start();
}

void CShopWatch::StartNewDay() {
  m_NextDay = NextMidnight();
  for (auto& [number, facts] : m_Facts) facts.m_RepliesToday.clear();
}

std::string CShopWatch::ReportedTrouble(const CEcrContext& ecr) {
  const CEcrStatus status = ecr.Events().Status();
  if (status.m_PaperOut != 0) return "paper out";
  if (status.m_GenericError != 0) return "the register reports an error";
  if (status.NotOperating()) return "the register is not operating";
  return {};
}

// A trouble the register reports is remembered, with its time, when it begins.
bool CShopWatch::LookAtRegister(const CEcrContext& ecr) {
  CRegisterFacts& facts = m_Facts[ecr.m_EcrId];
  std::string trouble = ReportedTrouble(ecr);
  if (trouble == facts.m_TroubleNow) return false;
  if (!trouble.empty()) facts.m_Trouble = CTrouble{StatusTime(std::chrono::system_clock::now()), trouble};
  facts.m_TroubleNow = std::move(trouble);
  return true;
}

bool CShopWatch::LookAtRegisters() {
  bool changed = false;
  for (const auto& ecr : m_Links.m_Registers()) changed = LookAtRegister(*ecr) || changed;
  return changed;
}

void CShopWatch::LookAt(std::int32_t ecr) {
  const CEcrContext* known = m_Links.m_FindEcr(ecr);
  if (known != nullptr && LookAtRegister(*known)) Touch();
}

void CShopWatch::StatusReceived(std::int32_t ecr) { LookAt(ecr); }

std::size_t CShopWatch::LongTickets() const {
  const auto now = std::chrono::steady_clock::now();
  return static_cast<std::size_t>(std::count_if(m_Jobs.begin(), m_Jobs.end(), [&](const auto& held) {
    return !held.second.m_Ticket.empty() && now - held.second.m_Began > kLongTicket;
  }));
}

// A collector reads the metrics every quarter of a minute or so: they are written at most every ten
// seconds, and the last change is written once that time has passed.
void CShopWatch::WriteMetricsWhenDue(const CDriverStatus& status) {
  if (!m_MetricsDue || m_Links.m_MetricsFile.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  if (m_MetricsWritten && now - *m_MetricsWritten < kMetricsPeriod) return;
  std::string error;
  if (!WriteStatusFile(m_Links.m_MetricsFile, MetricsText(status, m_Counters), error))
    platform::DebugLog("[ZEDO] metrics: %s", error.c_str());
  m_MetricsWritten = now;
  m_MetricsDue = false;
}

void CShopWatch::Look() {
  const std::size_t longTickets = LongTickets();
  if (m_MetricsDue && m_MetricsWritten && std::chrono::steady_clock::now() - *m_MetricsWritten >= kMetricsPeriod)
    WriteMetricsWhenDue(m_Written);
  if (longTickets == m_LongTickets && std::chrono::system_clock::now() < m_NextDay && !m_Soon.isActive()) return;
  m_LongTickets = longTickets;
  Refresh();
}

RegisterState CShopWatch::StateOf(const CEcrContext& ecr, const CRegisterFacts& facts, const CJobUnderWay* job) const {
  if (m_Stopping) return RegisterState::kStopping;
  if (ecr.Events().Status().m_PaperOut != 0) return RegisterState::kPaperOut;
  if (!facts.m_TroubleNow.empty()) return RegisterState::kError;
  if (facts.m_NoAnswer) return RegisterState::kNoAnswer;
  if (job != nullptr) return job->m_Ticket.empty() ? RegisterState::kHeldBySheet : RegisterState::kRunning;
  return RegisterState::kReady;
}

CDriverStatus CShopWatch::Snapshot() const {
  CDriverStatus status;
  status.m_Version = QOR_VERSION;
  status.m_ProcessId = static_cast<long>(::getpid());
  status.m_StartedAt = StatusTime(m_StartedAt);
  status.m_TicketRoot = m_Links.m_TicketRoot();
  status.m_Durable = m_Links.m_Durable;
  for (const auto& ecr : m_Links.m_Registers()) {
    CRegisterStatus entry;
    entry.m_Number = ecr->m_EcrId;
    entry.m_Type = ecr->m_EcrType;
    const auto facts = m_Facts.find(ecr->m_EcrId);
    const CRegisterFacts none;
    const CRegisterFacts& known = facts == m_Facts.end() ? none : facts->second;
    const auto job = std::find_if(m_Jobs.begin(), m_Jobs.end(),
                                  [&](const auto& held) { return held.second.m_Ecr == ecr->m_EcrId; });
    const CJobUnderWay* underWay = job == m_Jobs.end() ? nullptr : &job->second;
    entry.m_State = StateOf(*ecr, known, underWay);
    std::size_t started = m_Links.m_TicketJobs(ecr->m_EcrId);
    if (underWay != nullptr && !underWay->m_Ticket.empty()) {
      entry.m_Ticket = underWay->m_Ticket;
      entry.m_TicketSince = StatusTime(underWay->m_Since);
      if (started > 0) --started;
    }
    entry.m_TicketsWaiting = static_cast<int>(started);
    entry.m_LastReply = known.m_LastReply;
    entry.m_RepliesToday = known.m_RepliesToday;
    entry.m_Trouble = known.m_Trouble;
    status.m_Registers.push_back(std::move(entry));
  }
  return status;
}

void CShopWatch::Refresh() {
  const auto began = std::chrono::steady_clock::now();
  m_Soon.stop();
  if (std::chrono::system_clock::now() >= m_NextDay) StartNewDay();
  const std::uint64_t flushRounds = m_Links.m_FlushRounds();
  const std::uint64_t writerWaits = m_Links.m_WriterWaits();
  const bool countersMoved = flushRounds != m_Counters.m_FlushRounds || writerWaits != m_Counters.m_WriterWaits;
  m_Counters.m_FlushRounds = flushRounds;
  m_Counters.m_WriterWaits = writerWaits;
  const CDriverStatus status = Snapshot();

  QStringList attention;
  const auto now = std::chrono::system_clock::now();
  for (const CRegisterStatus& entry : status.m_Registers) {
    const auto since = StatusInstant(entry.m_TicketSince);
    const bool longTicket = since && now - *since > kLongTicket;
    if (!NeedsPerson(entry.m_State) && !longTicket) continue;
    std::string line = "ECR " + std::to_string(entry.m_Number) + ": ";
    line += longTicket && !NeedsPerson(entry.m_State) ? "ticket " + entry.m_Ticket + " waits since " + entry.m_TicketSince
                                                      : std::string(RegisterStateWords(entry.m_State));
    attention.push_back(QString::fromStdString(line));
  }
  if (attention != m_Attention) {
    m_Attention = attention;
    emit AttentionChanged(m_Attention);
  }

  const bool statusChanged = !m_EverWritten || !(status == m_Written);
  std::string error;
  if (statusChanged && !WriteStatusFile(m_Links.m_BaseDirectory + kStatusFileName, StatusJson(status), error))
    platform::DebugLog("[ZEDO] status: %s", error.c_str());
  m_MetricsDue = m_MetricsDue || statusChanged || countersMoved;
  WriteMetricsWhenDue(status);
  if (!statusChanged) return;
  m_Written = status;
  m_EverWritten = true;
  // Writing costs the window thread time in proportion to the registers: the next write waits at
  // least twenty times as long as this one took, so a shop of a thousand registers under a burst
  // gives the status no more than a twentieth of that thread.
  m_Soon.setInterval(std::max<std::chrono::milliseconds>(
      kWriteDelay, 20 * std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began)));
  const std::string summary = SummaryLine(status);
  if (summary != m_Summary) {
    m_Summary = summary;
    m_Notifier.Status(m_Summary);
    emit SummaryChanged(QString::fromStdString(m_Summary));
  }
}

}  // namespace driver

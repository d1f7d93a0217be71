#include "tools/status/status_report.h"

#include <QDateTime>
#include <algorithm>
#include <vector>

#include "driver/status/status_time.h"
#include "driver/status/summary_line.h"

namespace tools {
namespace {

using driver::CRegisterStatus;

constexpr std::chrono::seconds kLongTicket{60};

std::string Duration(std::chrono::seconds length) {
  long long seconds = std::max<long long>(length.count(), 0);
  if (seconds < 60) return std::to_string(seconds) + " s";
  if (seconds < 3600) return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
  if (seconds < 86400) return std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) + " min";
  return std::to_string(seconds / 86400) + " d " + std::to_string(seconds % 86400 / 3600) + " h";
}

std::optional<std::chrono::seconds> TicketAge(const CRegisterStatus& ecr, Clock::time_point now) {
  auto since = driver::StatusInstant(ecr.m_TicketSince);
  if (ecr.m_Ticket.empty() || !since) return std::nullopt;
  return std::chrono::duration_cast<std::chrono::seconds>(now - *since);
}

std::string RegisterLine(const CRegisterStatus& ecr, Clock::time_point now) {
  std::string line = "ECR " + std::to_string(ecr.m_Number) + " (type " + std::to_string(ecr.m_Type) +
                     "): " + std::string(driver::RegisterStateWords(ecr.m_State));
  if (!ecr.m_Ticket.empty()) {
    auto age = TicketAge(ecr, now);
    line += "; ticket " + ecr.m_Ticket + " under way" + (age ? " for " + Duration(*age) : "");
  }
  line += "; " + std::to_string(ecr.m_TicketsWaiting) + " waiting";
  if (ecr.m_LastReply)
    line += "; last reply " + std::to_string(ecr.m_LastReply->m_Code) + " to " + ecr.m_LastReply->m_Ticket +
            " at " + ShownTime(ecr.m_LastReply->m_At, now);
  line += "; " + driver::GroupedNumber(driver::TicketsToday(ecr)) + " today";
  if (ecr.m_Trouble) line += "; trouble at " + ShownTime(ecr.m_Trouble->m_At, now) + ": " + ecr.m_Trouble->m_Text;
  return line + "\n";
}

}  // namespace

bool NeedsLook(const CRegisterStatus& ecr, Clock::time_point now) {
  auto age = TicketAge(ecr, now);
  return driver::NeedsPerson(ecr.m_State) || (age && *age > kLongTicket);
}

std::string ShownTime(const std::string& statusTime, Clock::time_point now) {
  auto instant = driver::StatusInstant(statusTime);
  if (!instant) return statusTime.empty() ? "an unknown time" : statusTime;
  auto milliseconds = [](Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
  };
  QDateTime shown = QDateTime::fromMSecsSinceEpoch(milliseconds(*instant));
  bool today = shown.date() == QDateTime::fromMSecsSinceEpoch(milliseconds(now)).date();
  return shown.toString(today ? "HH:mm:ss" : "yyyy-MM-dd HH:mm:ss").toStdString();
}

std::string StatusReport(const driver::CDriverStatus& status, const std::string& base, Clock::time_point now) {
  std::string report = driver::SummaryLine(status) + " (QorDriver " + status.m_Version + " on " + base +
                       ", process " + std::to_string(status.m_ProcessId) + ", started " +
                       ShownTime(status.m_StartedAt, now) + ")\n";
  std::vector<const CRegisterStatus*> order;
  for (const CRegisterStatus& ecr : status.m_Registers) order.push_back(&ecr);
  std::stable_partition(order.begin(), order.end(), [now](const CRegisterStatus* ecr) { return NeedsLook(*ecr, now); });
  for (const CRegisterStatus* ecr : order) report += RegisterLine(*ecr, now);
  return report;
}

}  // namespace tools

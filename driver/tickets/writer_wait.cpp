#include "driver/tickets/writer_wait.h"

#include <algorithm>

namespace driver {

bool CWriterWait::Add(const CTicketNames& names, std::int32_t ecrId, TimePoint now) {
  if (!m_Paths.insert(names.m_Real).second) return false;
  std::uint64_t place = m_NextPlace++;
  m_Line.emplace(place, CWaitingTicket{names, ecrId, now, now + kPoll, place});
  return true;
}

std::optional<CWaitingTicket> CWriterWait::TakeFirstDue(TimePoint now, const MayStart& mayStart) {
  auto due = std::find_if(m_Line.begin(), m_Line.end(), [&](const auto& entry) {
    return entry.second.m_NextTry <= now && mayStart(entry.second.m_EcrId);
  });
  if (due == m_Line.end()) return std::nullopt;
  CWaitingTicket ticket = std::move(due->second);
  m_Line.erase(due);
  m_Paths.erase(ticket.m_Names.m_Real);
  return ticket;
}

void CWriterWait::TryAgain(CWaitingTicket ticket, TimePoint now) {
  ticket.m_NextTry = now + kPoll;
  m_Paths.insert(ticket.m_Names.m_Real);
  m_Line.emplace(ticket.m_Place, std::move(ticket));
}

std::optional<std::chrono::milliseconds> CWriterWait::DelayToNext(TimePoint now, const MayStart& mayStart) const {
  TimePoint next = TimePoint::max();
  for (const auto& [place, ticket] : m_Line)
    if (ticket.m_NextTry < next && mayStart(ticket.m_EcrId)) next = ticket.m_NextTry;
  if (next == TimePoint::max()) return std::nullopt;
  if (next <= now) return std::chrono::milliseconds(0);
  // Rounded up: a timer that fires early would only find the try not yet due.
  return std::chrono::ceil<std::chrono::milliseconds>(next - now);
}

void CWriterWait::Clear() {
  m_Line.clear();
  m_Paths.clear();
}

}  // namespace driver

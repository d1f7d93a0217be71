#include "driver/tickets/shared_reply_names.h"

#include <algorithm>

#include "platform/folder_files.h"

namespace driver {

bool CSharedReplyNames::Pending(const std::string& ticketPath, const COwner& owner) const {
  if (!owner.m_DocumentPath.empty() && m_Host.IsTicketJobRunning(owner.m_DocumentPath)) return true;
  return platform::Exists(WithExtension(ticketPath, ".rep")) || platform::Exists(WithExtension(ticketPath, ".mag"));
}

std::optional<std::string> CSharedReplyNames::PendingOther(const CTicketNames& ticket) {
  auto owner = m_Owners.find(ticket.m_Ticket);
  if (owner == m_Owners.end() || owner->second.m_Real == ticket.m_Real) return std::nullopt;
  if (Pending(owner->first, owner->second)) return owner->second.m_Real;
  m_Owners.erase(owner);
  return std::nullopt;
}

void CSharedReplyNames::Taken(const CTicketNames& ticket, const std::string& documentPath) {
  m_Owners[ticket.m_Ticket] = COwner{ticket.m_Real, documentPath};
  if (m_Owners.size() >= m_SweepAt) Sweep();
}

void CSharedReplyNames::Sweep() {
  for (auto owner = m_Owners.begin(); owner != m_Owners.end();) {
    owner = Pending(owner->first, owner->second) ? std::next(owner) : m_Owners.erase(owner);
  }
  m_SweepAt = std::max<std::size_t>(64, 2 * m_Owners.size());
}

}  // namespace driver

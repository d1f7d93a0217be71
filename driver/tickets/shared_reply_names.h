#pragma once
// Ticket names that differ only in letter case ("CASE.TXT" and "case.txt") share one set of reply
// files, since those are named after the ticket's name in lower case. So that each till reads a reply
// meant for its own ticket, a ticket is taken only once the reply of another spelling of its name is no
// longer pending: that ticket's job has ended and its ".mag" and ".rep" are gone (its till has collected
// the reply). Tickets dropped again under the same spelling are not held back by each other.

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

#include "driver/tickets/ticket_files.h"
#include "driver/tickets/ticket_host.h"

namespace driver {

class CSharedReplyNames {
 public:
  explicit CSharedReplyNames(const ITicketHost& host) : m_Host(host) {}

  // The ticket (as found in the folder) whose pending reply this ticket must wait for; nothing when
  // it may be taken now.
  std::optional<std::string> PendingOther(const CTicketNames& ticket);
  // The ticket has been answered, or handed to a job with that document (empty when answered at once).
  void Taken(const CTicketNames& ticket, const std::string& documentPath);

 private:
  struct COwner {
    std::string m_Real;
    std::string m_DocumentPath;
  };
  bool Pending(const std::string& ticketPath, const COwner& owner) const;
  // Forgets the owners whose replies have been collected; run as the list doubles, so its cost per
  // ticket stays constant and the list holds no more than the replies still in the folders.
  void Sweep();

  const ITicketHost& m_Host;
  std::unordered_map<std::string, COwner> m_Owners;  // by the ticket path in lower case
  std::size_t m_SweepAt = 64;
};

}  // namespace driver

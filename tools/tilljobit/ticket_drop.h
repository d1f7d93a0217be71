#pragma once
// Puts a copy of a ticket into a register's ticket folder the way a careful point-of-sale program
// does, so the driver never sees half a ticket: the bytes are written under "<name>.tmp" (outside the
// "*.txt" the driver lists), flushed to disk, and only then renamed to "<name>.txt". The name is new:
// no file of the ticket's family (".txt", ".tmp", ".rep", ".inf", ".err", ".mag") exists under it, and
// the rename never replaces a file, so an older ticket or reply is never mistaken for this one's.
// Names are lower case, as the driver names its reply files after the lower-cased ticket name.

#include <string>

namespace tools {

struct DroppedTicket {
  std::string m_TicketPath;   // "<folder>/<name>.txt"
  std::string m_ReplyPath;    // ".rep"
  std::string m_WarningPath;  // ".inf"
  std::string m_ErrorPath;    // ".err", the ticket kept by the driver when it rejected a record
};

// The paths of the files of the ticket "<folder>/<name>.txt".
DroppedTicket TicketFamily(const std::string& folder, const std::string& name);

// 0 when the copy is in place as dropped.m_TicketPath; nonzero with a reason otherwise (nothing is
// left behind then).
int DropTicket(const std::string& source, const std::string& registerFolder, DroppedTicket& dropped,
               std::string& reason);

}  // namespace tools

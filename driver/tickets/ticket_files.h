#pragma once
// The files of one ticket. Every name is derived from the ticket's path with its file name in lower
// case (the folder part is kept as it is), by replacing the ".txt" extension: ".mag" and ".rep" (the
// reply), ".inf" (warnings), ".err" (a rejected ticket), and the numbered ".mmm" / ".xmm" (the command
// document while written / when complete).

#include <string>
#include <string_view>

namespace driver {

struct CTicketNames {
  std::string m_Real;   // the ticket as found in the folder
  std::string m_Ticket; // folder, "/", lower-cased file name
  std::string m_Mag;
  std::string m_Rep;
  std::string m_Inf;
  std::string m_Err;
};

CTicketNames MakeTicketNames(const std::string& folder, const std::string& fileName);

// The path with its last four characters (the ".txt") replaced by the extension.
std::string WithExtension(std::string_view path, std::string_view extension);

// "%s_%04d.txt": the ticket path without ".txt", an underscore, the sequence number in four digits.
std::string NumberedName(std::string_view ticketPath, int sequenceNumber);

// The record of a ticket job's progress beside its command document: ".xmm" becomes ".prg".
std::string ProgressPathOf(std::string_view documentPath);

// True for a name ending in ".txt" in any letter case.
bool IsTicketFileName(std::string_view name);

// Removes a file; a file that is not there or cannot be removed is ignored.
void RemoveFile(const std::string& path);

// Adds one to a counter of section "TICKETS" in the totals file, creating the file on the first update.
void IncrementTicketTotal(const std::string& totalsFile, const char* key);

}  // namespace driver

#include "driver/tickets/ticket_files.h"

#include <cstdio>
#include <cstdlib>

#include "platform/folder_files.h"
#include "platform/profile.h"

namespace driver {

std::string WithExtension(std::string_view path, std::string_view extension) {
  std::string result(path.substr(0, path.size() >= 4 ? path.size() - 4 : 0));
  return result.append(extension);
}

CTicketNames MakeTicketNames(const std::string& folder, const std::string& fileName) {
  std::string lower = fileName;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  CTicketNames names;
  names.m_Real = folder + "/" + fileName;
  names.m_Ticket = folder + "/" + lower;
  names.m_Mag = WithExtension(names.m_Ticket, ".mag");
  names.m_Rep = WithExtension(names.m_Ticket, ".rep");
  names.m_Inf = WithExtension(names.m_Ticket, ".inf");
  names.m_Err = WithExtension(names.m_Ticket, ".err");
  return names;
}

std::string ProgressPathOf(std::string_view documentPath) { return WithExtension(documentPath, ".prg"); }

std::string NumberedName(std::string_view ticketPath, int sequenceNumber) {
  char number[16];
  std::snprintf(number, sizeof number, "_%04d.txt", sequenceNumber);
  return std::string(ticketPath.substr(0, ticketPath.size() >= 4 ? ticketPath.size() - 4 : 0)) + number;
}

bool IsTicketFileName(std::string_view name) {
  if (name.size() < 4) return false;
  std::string_view extension = name.substr(name.size() - 4);
  return extension[0] == '.' && (extension[1] | 0x20) == 't' && (extension[2] | 0x20) == 'x' &&
         (extension[3] | 0x20) == 't';
}

void RemoveFile(const std::string& path) { platform::RemoveFile(path); }

void IncrementTicketTotal(const std::string& totalsFile, const char* key) {
  platform::UpdatePrivateProfileString("TICKETS", key, "0", 9, totalsFile, [](const std::string& count) {
    return std::to_string(std::atoi(count.c_str()) + 1);
  });
}

}  // namespace driver

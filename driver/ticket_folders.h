#pragma once
// Where tickets are dropped: a ticket root (by default "<base>Tickets", or the custom folder named in
// "Qor.cfg") holding one folder per register, named by the register number.

#include <string>

namespace driver {

inline constexpr const char* kFolderSettingsFile = "Qor.cfg";
inline constexpr const char* kFoldersSection = "FOLDERS";
inline constexpr const char* kTicketFolderKey = "TicketFolder";
inline constexpr const char* kReportFolderKey = "ReportFolder";

struct CTicketRootChoice {
  std::string m_Root;
  std::string m_Note;  // the log line that says which root was taken and why
};

// The ticket root: the custom "TicketFolder" of "Qor.cfg" when it names an existing folder, else
// baseDirectory + "Tickets".
CTicketRootChoice ChooseTicketRoot(const std::string& baseDirectory);

// The folder of one register inside the ticket root.
std::string RegisterFolder(const std::string& ticketRoot, int ecrId);

// Creates one folder level; an existing folder is no error. False when the folder is not there after.
bool CreateFolder(const std::string& path);

// Sets key in section "FOLDERS" of "<base>Qor.cfg", making the file when there is none. Nothing is
// written when the file is there but cannot be read.
bool WriteFolderSetting(const std::string& baseDirectory, const std::string& key, const std::string& value);

}  // namespace driver

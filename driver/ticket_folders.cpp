#include "driver/ticket_folders.h"

#include <sys/stat.h>

#include <cerrno>

#include "driver/admin/ini_file.h"

namespace driver {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

CTicketRootChoice ChooseTicketRoot(const std::string& baseDirectory) {
  CTicketRootChoice choice;
  choice.m_Root = baseDirectory + "Tickets";
  choice.m_Note = "DEFAULT Ticket Folder: [" + choice.m_Root + "]";

  CIniFile settings;
  settings.SetPath(baseDirectory + kFolderSettingsFile);
  if (!settings.Load() || !settings.HasSection(kFoldersSection)) return choice;
  std::string custom = settings.GetValue(kFoldersSection, kTicketFolderKey);
  if (custom.empty()) return choice;
  // A ticket root that is a plain file could never hold the register folders: it counts as missing.
  if (IsFolder(custom)) {
    choice.m_Root = custom;
    choice.m_Note = "CUSTOM Ticket Folder: [" + custom + "]";
  } else {
    choice.m_Note = "CUSTOM Ticket Folder ERROR: invalid or not exist!, use DEFAULT: [" + choice.m_Root + "]";
  }
  return choice;
}

std::string RegisterFolder(const std::string& ticketRoot, int ecrId) { return ticketRoot + "/" + std::to_string(ecrId); }

bool CreateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(path);
}

// A missing file is made, or the folders chosen now would be lost at the next start; a file that is
// there but cannot be read is left alone rather than replaced by one holding only this key.
bool WriteFolderSetting(const std::string& baseDirectory, const std::string& key, const std::string& value) {
  CIniFile settings;
  settings.SetPath(baseDirectory + kFolderSettingsFile);
  if (!settings.Load() && !settings.GetLastError().empty()) return false;
  settings.SetValue(kFoldersSection, key, value, true);
  settings.Save();
  return true;
}

}  // namespace driver

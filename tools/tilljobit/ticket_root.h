#pragma once
// Where the driver expects tickets, found the way the driver itself finds it:
//   base directory = the folder of the fiscal control's module registered in the store (the default
//                    value of its InprocServer32 key, cut after the last "/"), else the current folder;
//   ticket root    = "TicketFolder" of section "FOLDERS" in "<base>Qor.cfg" when that names an existing
//                    folder, else "<base>Tickets".
// A destination given on the command line is the ticket root itself. A register's folder is the
// ticket root followed by the register number.

#include <string>

namespace platform {
class Store;
}

namespace tools {

inline constexpr const char* kControlServerKey =
    "HKEY_CLASSES_ROOT\\CLSID\\{CCB3B546-321D-414F-A132-FD5EAF450FD8}\\InprocServer32";

// The base directory with its trailing "/", or "" (the current folder) when nothing is registered.
std::string BaseDirectory(const platform::Store& store);

// The value of TicketFolder in section FOLDERS of a Qor.cfg text, read with the file's own rules: exact,
// case-sensitive names, nothing trimmed, a later line wins; "" when absent.
std::string TicketFolderSetting(const std::string& qorCfg);

// The ticket root for a base directory ("" = the current folder).
std::string TicketRoot(const std::string& baseDirectory);

// folder + "/" + number, without doubling a "/" that ends the folder.
std::string RegisterFolder(const std::string& ticketRoot, int cash);

}  // namespace tools

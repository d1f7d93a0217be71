#pragma once
// The driver's own registration in the store, as the server of the QorMonitorSink class, and the
// command-line switches that write ("RegServer") or remove ("UnregServer") it.

#include <string>
#include <vector>

#include "platform/registry_writer.h"

namespace driver {

enum class ServerSwitch { kNone, kRegister, kUnregister };

// Looks at the text after each "-" or "/" of the command line (the arguments joined by blanks) up to
// its end, ignoring case: "UnregServer" and then "RegServer"; the first that matches decides.
ServerSwitch FindServerSwitch(const std::vector<std::string>& arguments);

// Writes the application id and the QorMonitorSink class with programPath as its local server.
void RegisterDriverServer(platform::IRegistryWriter& store, const std::string& programPath);
// Removes them again; the shared AppID and CLSID keys above them stay.
void UnregisterDriverServer(platform::IRegistryWriter& store);

}  // namespace driver

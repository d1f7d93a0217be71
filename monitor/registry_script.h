#pragma once
// The store entries of the QorMonitor module: its class QorSpy under its two ProgIDs and its class id,
// and its type library with the two interfaces it describes. All keys are below HKEY_CLASSES_ROOT.

#include <string>

#include "platform/registry_writer.h"

namespace monitor {

// Writes every entry; the class id key is replaced whole, so nothing of an older registration stays.
// modulePath is the module's file, as the loader will open it. True when every write succeeded.
bool WriteRegistryScript(platform::IRegistryWriter& store, const std::string& modulePath);

// Removes what WriteRegistryScript wrote; the shared parents (CLSID, TypeLib, Interface) stay.
bool RemoveRegistryScript(platform::IRegistryWriter& store);

}  // namespace monitor

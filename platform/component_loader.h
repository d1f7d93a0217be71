#pragma once
// Creating a class served by a component module: the class id leads through the store to the module
// file ("HKEY_CLASSES_ROOT\CLSID\<classId>\InprocServer32", default value), the module is loaded as
// a Qt plugin, and its root object makes the instance. A loaded module stays loaded for the rest of
// the process, so the objects it made stay valid for as long as their owners keep them.

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/store.h"

namespace platform {

enum class ComponentStatus {
  kCreated,            // the object was made
  kNotRegistered,      // no module path registered for the class id
  kModuleNotLoadable,  // the registered file is missing, not a plugin, or not a component module
  kClassNotAvailable,  // the module does not serve the class, or could not make the object
};

struct ComponentResult {
  ComponentStatus m_Status = ComponentStatus::kNotRegistered;
  std::unique_ptr<QObject> m_Object;  // the new object, owned by the caller; set only when created
  std::string m_ModulePath;           // the registered module file, when there is one
  std::string m_Error;                // why loading failed, in the plugin loader's words
};

// The module file registered for the class id, if any.
std::optional<std::string> RegisteredModulePath(const Store& store, std::string_view classId);
// The folder of that file with a trailing '/', if any (the driver's base directory comes from it).
std::optional<std::string> RegisteredModuleFolder(const Store& store, std::string_view classId);

// Makes a new object of the class through its registered module.
ComponentResult LoadComponent(const Store& store, std::string_view classId);

// Loads the module file and hands back its entry points, or nullptr with the reason in error.
// The module stays loaded.
class IComponentModule;
IComponentModule* LoadComponentModule(const std::string& modulePath, std::string& error);

}  // namespace platform

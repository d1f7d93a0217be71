#pragma once
// A component module: a shared library, loaded at run time, that serves one or more classes by class id
// and registers itself in the machine-wide store (the counterpart of an in-process COM server).
// Each module is a Qt plugin whose root object implements IComponentModule.

#include <QObject>
#include <QtPlugin>
#include <string>
#include <string_view>

#include "platform/registry_writer.h"

namespace platform {

// Result codes of the entry points, as their Windows counterparts give them.
constexpr long kSelfRegOk = 0;                          // S_OK
constexpr long kSelfRegFailed = 0x80004005L;            // E_FAIL
constexpr long kClassNotAvailable = 0x80040111L;        // CLASS_E_CLASSNOTAVAILABLE

class IComponentModule {
 public:
  virtual ~IComponentModule() = default;
  // Writes the module's class entries into the store; modulePath is this module's file.
  virtual long DllRegisterServer(IRegistryWriter& store, const std::string& modulePath) = 0;
  // Removes what DllRegisterServer wrote (the CLSID key itself stays, as on Windows).
  virtual long DllUnregisterServer(IRegistryWriter& store) = 0;
  // A new object of the class, owned by the caller, or nullptr when the module does not serve it.
  // The caller reaches the class's interface with qobject_cast.
  virtual QObject* CreateInstance(std::string_view classId) = 0;
  // True when no object made by the module is alive (the module may be unloaded).
  virtual bool DllCanUnloadNow() const = 0;
};

}  // namespace platform

#define QOR_COMPONENT_MODULE_IID "org.qor.IComponentModule/1.0"
Q_DECLARE_INTERFACE(platform::IComponentModule, QOR_COMPONENT_MODULE_IID)

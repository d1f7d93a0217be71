#pragma once
// The QorMonitor module's entry points: registration in the store, creation of QorSpy by its class
// id, and the unload check. The module is a Qt plugin; this is its root object.

#include <QObject>

#include "platform/component_module.h"

namespace monitor {

class QorMonitorModule final : public QObject, public platform::IComponentModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QOR_COMPONENT_MODULE_IID FILE "qor_monitor.json")
  Q_INTERFACES(platform::IComponentModule)

 public:
  long DllRegisterServer(platform::IRegistryWriter& store, const std::string& modulePath) override;
  long DllUnregisterServer(platform::IRegistryWriter& store) override;
  QObject* CreateInstance(std::string_view classId) override;
  bool DllCanUnloadNow() const override;
};

}  // namespace monitor

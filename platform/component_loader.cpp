#include "platform/component_loader.h"

#include <QPluginLoader>
#include <QString>

#include "platform/component_module.h"

namespace platform {

std::optional<std::string> RegisteredModulePath(const Store& store, std::string_view classId) {
  std::string key = "HKEY_CLASSES_ROOT\\CLSID\\" + std::string(classId) + "\\InprocServer32";
  std::optional<std::string> path = store.GetValue(key, "");
  if (!path || path->empty()) return std::nullopt;
  return path;
}

std::optional<std::string> RegisteredModuleFolder(const Store& store, std::string_view classId) {
  std::optional<std::string> path = RegisteredModulePath(store, classId);
  if (!path) return std::nullopt;
  std::size_t slash = path->rfind('/');
  if (slash == std::string::npos) return std::string("./");
  return path->substr(0, slash + 1);
}

IComponentModule* LoadComponentModule(const std::string& modulePath, std::string& error) {
  // The loader object may go: the plugin stays loaded until someone calls unload(), which nothing does.
  QPluginLoader loader(QString::fromLocal8Bit(modulePath.data(), static_cast<qsizetype>(modulePath.size())));
  QObject* root = loader.instance();
  if (!root) {
    error = loader.errorString().toStdString();
    return nullptr;
  }
  auto* module = qobject_cast<IComponentModule*>(root);
  if (!module) error = "\"" + modulePath + "\" is a plugin but not a component module";
  return module;
}

ComponentResult LoadComponent(const Store& store, std::string_view classId) {
  ComponentResult result;
  std::optional<std::string> modulePath = RegisteredModulePath(store, classId);
  if (!modulePath) {
    result.m_Status = ComponentStatus::kNotRegistered;
    result.m_Error = "class " + std::string(classId) + " is not registered";
    return result;
  }
  result.m_ModulePath = *modulePath;
  IComponentModule* module = LoadComponentModule(*modulePath, result.m_Error);
  if (!module) {
    result.m_Status = ComponentStatus::kModuleNotLoadable;
    return result;
  }
  result.m_Object.reset(module->CreateInstance(classId));
  if (!result.m_Object) {
    result.m_Status = ComponentStatus::kClassNotAvailable;
    result.m_Error = "\"" + *modulePath + "\" cannot make an object of class " + std::string(classId);
    return result;
  }
  result.m_Status = ComponentStatus::kCreated;
  return result;
}

}  // namespace platform

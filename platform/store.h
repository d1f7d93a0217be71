#pragma once
// The machine-wide key/value store that stands in for the registry: one text file shared by every
// program of the system. Each call reads the file afresh; each change is made under an exclusive
// lock on the file and replaces it atomically, so two processes never lose each other's changes.
//
// File layout, one key per block:
//   [HKEY_CLASSES_ROOT\CLSID\{733B543D-B49E-4292-BC5D-B86E254EA671}\InprocServer32]
//   @=/usr/lib/qor/libQorMonitor.so
//   ThreadingModel=Apartment
// "@" names the default value; "\\" and "\n" in a value stand for a backslash and a line end.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_writer.h"

namespace platform {

class Store final : public IRegistryWriter {
 public:
  // QOR_REGISTRY when set, else "$XDG_CONFIG_HOME/qor/registry" (by default "~/.config/qor/registry").
  static std::string DefaultPath();

  explicit Store(std::string path = DefaultPath());

  const std::string& Path() const { return m_Path; }

  bool KeyExists(std::string_view key) const;
  std::optional<std::string> GetValue(std::string_view key, std::string_view name) const;
  // Names of the keys directly below key, in file order.
  std::vector<std::string> SubKeys(std::string_view key) const;

  bool CreateKey(std::string_view key) override;
  bool SetValue(std::string_view key, std::string_view name, std::string_view value) override;
  bool DeleteValue(std::string_view key, std::string_view name);
  bool DeleteTree(std::string_view key) override;

 private:
  std::string m_Path;
};

}  // namespace platform

#pragma once
// The machine-wide store as a component module's registration entry points see it. Header only,
// so a module can register itself without linking anything of the system's own.

#include <string_view>

namespace platform {

// Keys are Windows key paths ("HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32"), matched ignoring case.
// The value name "" is the key's default value.
class IRegistryWriter {
 public:
  virtual ~IRegistryWriter() = default;
  virtual bool CreateKey(std::string_view key) = 0;
  virtual bool SetValue(std::string_view key, std::string_view name, std::string_view value) = 0;
  // Removes the key with every key below it; a missing key is no error.
  virtual bool DeleteTree(std::string_view key) = 0;
};

}  // namespace platform

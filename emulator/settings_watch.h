#pragma once
// Tells when "QorEmulator.ini" in the base directory was written, replaced, created or removed:
// an inotify watch on the folder, whose descriptor the worker waits on beside its wake-up descriptor.

#include <string>

namespace emulator {

class CSettingsWatch {
 public:
  CSettingsWatch(const std::string& folder, std::string fileName);
  ~CSettingsWatch();
  CSettingsWatch(const CSettingsWatch&) = delete;
  CSettingsWatch& operator=(const CSettingsWatch&) = delete;

  // -1 when the folder cannot be watched (the settings are then read only at Open).
  int Descriptor() const { return m_Descriptor; }
  // Reads the pending notifications; true when one concerned the settings file.
  bool SettingsChanged();

 private:
  int m_Descriptor = -1;
  std::string m_FileName;
};

}  // namespace emulator

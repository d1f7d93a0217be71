#pragma once
// A fresh folder per test case, removed with everything in it when the case ends.

#include <string>

namespace testsupport {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return m_Path; }
  // Path of a name inside the folder.
  std::string operator/(const std::string& name) const { return m_Path + "/" + name; }

 private:
  std::string m_Path;
};

// Writes bytes to a file, creating or replacing it; fails the test when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);
// The bytes of a file, or "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Sets an environment variable for the life of the object and restores it afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::string& value);
  ~ScopedEnvironment();

 private:
  std::string m_Name;
  bool m_HadValue = false;
  std::string m_OldValue;
};

// For the life of the object XDG_RUNTIME_DIR names a fresh folder of this program's own. Drivers share
// their registers' mutexes with every other driver through lock files in that folder: a test program
// that starts drivers keeps them apart from the drivers of test programs run beside it.
class PrivateRuntimeFolder {
 public:
  PrivateRuntimeFolder() : m_Environment("XDG_RUNTIME_DIR", m_Folder.Path()) {}

 private:
  TempFolder m_Folder;
  ScopedEnvironment m_Environment;
};

}  // namespace testsupport

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

}  // namespace testsupport

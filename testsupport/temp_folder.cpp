#include "testsupport/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qor-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (made == nullptr) ADD_FAILURE() << "cannot create a temporary folder";
  m_Path = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_Path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value) : m_Name(std::move(name)) {
  if (const char* old = std::getenv(m_Name.c_str())) {
    m_HadValue = true;
    m_OldValue = old;
  }
  ::setenv(m_Name.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (m_HadValue) ::setenv(m_Name.c_str(), m_OldValue.c_str(), 1);
  else ::unsetenv(m_Name.c_str());
}

}  // namespace testsupport

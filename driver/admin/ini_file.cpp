#include "driver/admin/ini_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace driver {
namespace {

// A read takes at most this many characters; the rest of a longer line is read as a further line.
constexpr int kLineBufferSize = 2048;

}  // namespace

CIniFile::Section* CIniFile::FindSection(const std::string& name) {
  for (Section& section : m_Sections)
    if (section.name == name) return &section;
  return nullptr;
}

const CIniFile::Section* CIniFile::FindSection(const std::string& name) const {
  for (const Section& section : m_Sections)
    if (section.name == name) return &section;
  return nullptr;
}

bool CIniFile::Load() {
  struct stat info {};
  if (::stat(m_Path.c_str(), &info) != 0) return false;
  std::FILE* file = S_ISDIR(info.st_mode) ? nullptr : std::fopen(m_Path.c_str(), "r");
  if (!file) {
    m_LastError = "Unable to open ini file.";
    return false;
  }
  std::string section;
  char buffer[kLineBufferSize];
  while (std::fgets(buffer, sizeof buffer, file)) {
    std::string line(buffer);
    // Text mode: the line end (LF, or CR LF as written on other systems) is not part of the line.
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      std::size_t first = line.find_first_not_of('[');
      std::size_t last = line.find_last_not_of(']');
      section = first == std::string::npos || last < first ? std::string() : line.substr(first, last - first + 1);
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) SetValue(section, "", line.substr(1), true);
    else SetValue(section, line.substr(0, equals), line.substr(equals + 1), true);
  }
  std::fclose(file);
  return true;
}

bool CIniFile::HasSection(const std::string& section) const { return FindSection(section) != nullptr; }

std::string CIniFile::GetValue(const std::string& sectionName, const std::string& key) {
  const Section* section = FindSection(sectionName);
  if (!section) {
    m_LastError = "Unable to locate specified key.";
    return {};
  }
  for (std::size_t i = 0; i < section->keys.size(); ++i)
    if (section->keys[i] == key) return section->values[i];
  m_LastError = "Unable to locate specified value.";
  return {};
}

bool CIniFile::SetValue(const std::string& sectionName, const std::string& key, const std::string& value,
                        bool create) {
  Section* section = FindSection(sectionName);
  if (!section) {
    if (!create) return false;
    m_Sections.push_back({sectionName, {}, {}});
    section = &m_Sections.back();
  }
  for (std::size_t i = 0; i < section->keys.size(); ++i) {
    if (section->keys[i] == key) {
      section->values[i] = value;
      return true;
    }
  }
  if (!create) return false;
  section->keys.push_back(key);
  section->values.push_back(value);
  return true;
}

void CIniFile::Save() const {
  std::FILE* file = std::fopen(m_Path.c_str(), "w");
  if (!file) return;
  for (const Section& section : m_Sections) {
    if (section.keys.empty()) continue;
    std::fprintf(file, "[%s]\n", section.name.c_str());
    for (std::size_t i = 0; i < section.keys.size(); ++i)
      std::fprintf(file, "%s=%s\n", section.keys[i].c_str(), section.values[i].c_str());
    std::fprintf(file, "\n");
  }
  std::fclose(file);
}

}  // namespace driver

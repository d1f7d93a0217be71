#pragma once
// CIniFile: a small in-memory model of an ini file (used for "Qor.cfg"). Unlike the profile functions
// it trims nothing, compares names exactly, merges repeated sections, and the last repeated key wins.

#include <string>
#include <vector>

namespace driver {

class CIniFile {
 public:
  void SetPath(std::string path) { m_Path = std::move(path); }
  const std::string& GetPath() const { return m_Path; }

  // Reads the file into the model, adding to what is there. False when the file is missing or unreadable.
  bool Load();
  bool HasSection(const std::string& section) const;
  std::string GetValue(const std::string& section, const std::string& key);
  bool SetValue(const std::string& section, const std::string& key, const std::string& value, bool create);
  // Writes every section that has keys; errors are not reported.
  void Save() const;
  const std::string& GetLastError() const { return m_LastError; }

 private:
  struct Section {
    std::string name;
    std::vector<std::string> keys;
    std::vector<std::string> values;
  };
  Section* FindSection(const std::string& name);
  const Section* FindSection(const std::string& name) const;

  std::string m_Path;
  std::vector<Section> m_Sections;
  std::string m_LastError;
};

}  // namespace driver

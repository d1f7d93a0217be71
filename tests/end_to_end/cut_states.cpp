#include "tests/end_to_end/cut_states.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "testsupport/temp_folder.h"

namespace endtoend {
namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t at = 0; at + 1 < hex.size(); at += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16)));
  return bytes;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

CFolderHistory::CFolderHistory(std::string folder, const CFolderState& before) : m_Folder(std::move(folder)) {
  for (const auto& [name, content] : before) {
    m_Before[name] = m_Names[name] = m_Files.size();
    m_Files.push_back({{content}, 0});
  }
}

std::size_t CFolderHistory::FileNamed(const std::string& name, std::string& error) const {
  auto found = m_Names.find(name);
  if (found != m_Names.end()) return found->second;
  error = "no file named " + name;
  return SIZE_MAX;
}

bool CFolderHistory::Replay(const std::string& trace, std::string& error) {
  std::istringstream lines(trace);
  std::string line;
  const std::string prefix = m_Folder + "/";
  while (std::getline(lines, line)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() < 2) continue;
    const std::string& operation = fields[0];
    if (operation == "flushfolder") {
      if (fields[1] == m_Folder) m_FlushedChanges = m_Changes.size();
      continue;
    }
    if (fields[1].rfind(prefix, 0) != 0) continue;
    const std::string name = fields[1].substr(prefix.size());
    if (operation == "create") {
      m_Names[name] = m_Files.size();
      m_Changes.push_back({NameChange::kCreate, name, "", m_Files.size()});
      m_Files.push_back({{""}, 0});
    } else if (operation == "remove") {
      m_Names.erase(name);
      m_Changes.push_back({NameChange::kRemove, name, "", 0});
    } else if (operation == "rename" && fields.size() == 3 && fields[2].rfind(prefix, 0) == 0) {
      const std::string to = fields[2].substr(prefix.size());
      const std::size_t file = FileNamed(name, error);
      if (file == SIZE_MAX) return false;
      m_Names.erase(name);
      m_Names[to] = file;
      m_Changes.push_back({NameChange::kRename, name, to, file});
    } else if (operation == "append" || operation == "cut") {
      // An append to a missing file makes it.
      if (operation == "append" && !m_Names.count(name)) {
        m_Names[name] = m_Files.size();
        m_Changes.push_back({NameChange::kCreate, name, "", m_Files.size()});
        m_Files.push_back({{""}, 0});
      }
      const std::size_t file = FileNamed(name, error);
      if (file == SIZE_MAX) return false;
      std::string content = m_Files[file].m_Versions.back();
      if (operation == "append") content += fields.size() == 3 ? FromHex(fields[2]) : "";
      else content.resize(std::stoul(fields.at(2)));
      m_Files[file].m_Versions.push_back(content);
    } else if (operation == "flushfile") {
      const std::size_t file = FileNamed(name, error);
      if (file == SIZE_MAX) return false;
      m_Files[file].m_Flushed = m_Files[file].m_Versions.size() - 1;
    } else if (operation != "reserve" && operation != "giveback") {
      error = "not understood: " + line;
      return false;
    }
  }
  return true;
}

CFolderState CFolderHistory::Build(std::size_t changes, const std::vector<std::size_t>& versions) const {
  std::map<std::string, std::size_t> names = m_Before;
  for (std::size_t at = 0; at < changes; ++at) {
    const CChange& change = m_Changes[at];
    switch (change.m_Kind) {
      case NameChange::kCreate: names[change.m_Name] = change.m_File; break;
      case NameChange::kRemove: names.erase(change.m_Name); break;
      case NameChange::kRename:
        names.erase(change.m_Name);
        names[change.m_To] = change.m_File;
        break;
    }
  }
  CFolderState state;
  for (const auto& [name, file] : names) state[name] = m_Files[file].m_Versions[versions[file]];
  return state;
}

CFolderState CFolderHistory::State(Keep names, Keep data) const {
  std::vector<std::size_t> versions;
  for (const CFile& file : m_Files) versions.push_back(data == Keep::kAll ? file.m_Versions.size() - 1 : file.m_Flushed);
  return Build(names == Keep::kAll ? m_Changes.size() : m_FlushedChanges, versions);
}

CFolderState CFolderHistory::RandomState(std::mt19937& random) const {
  std::vector<std::size_t> versions;
  for (const CFile& file : m_Files)
    versions.push_back(file.m_Flushed + random() % (file.m_Versions.size() - file.m_Flushed));
  return Build(m_FlushedChanges + random() % (m_Changes.size() - m_FlushedChanges + 1), versions);
}

void CFolderHistory::Write(const std::string& folder, const CFolderState& state) {
  for (const auto& [name, content] : Read(folder)) ::unlink((folder + "/" + name).c_str());
  for (const auto& [name, content] : state) testsupport::WriteFile(folder + "/" + name, content);
}

CFolderState CFolderHistory::Read(const std::string& folder) {
  CFolderState state;
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return state;
  while (dirent* entry = ::readdir(listing)) {
    const std::string path = folder + "/" + entry->d_name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) state[entry->d_name] = testsupport::ReadFile(path);
  }
  ::closedir(listing);
  return state;
}

}  // namespace endtoend

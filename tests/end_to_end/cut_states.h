#pragma once
// What a power cut may leave of a ticket folder, rebuilt from the driver's trace of its file
// operations (QOR_FILE_TRACE, platform/file_trace.h). A journaling file system keeps a folder's name
// changes in the order they were made: a cut keeps them up to some point no earlier than the last
// flush of the folder. It writes each file's data back on its own: a cut keeps, of each file, one of
// the versions it went through, no older than its last flush. The states are built from those rules
// and written into the folder in place of what the killed driver left.

#include <cstddef>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace endtoend {

// File name (within the folder) -> content.
using CFolderState = std::map<std::string, std::string>;

class CFolderHistory {
 public:
  // folder: the register's folder as the trace names it, relative to the driver's base directory or
  // absolute; before: what the folder durably held before the traced operations.
  CFolderHistory(std::string folder, const CFolderState& before);

  // Replays the trace's operations on the folder's files; false, with the line, for one not understood.
  bool Replay(const std::string& trace, std::string& error);

  enum class Keep { kFlushed, kAll };
  CFolderState State(Keep names, Keep data) const;
  // A state between the two: names kept up to a random point, each file at a random version.
  CFolderState RandomState(std::mt19937& random) const;

  // Replaces what the folder holds (regular files only) with the state.
  static void Write(const std::string& folder, const CFolderState& state);
  static CFolderState Read(const std::string& folder);

 private:
  struct CFile {
    std::vector<std::string> m_Versions;  // after each write, the first as it was made
    std::size_t m_Flushed = 0;            // the version last flushed
  };
  enum class NameChange { kCreate, kRemove, kRename };
  struct CChange {
    NameChange m_Kind;
    std::string m_Name, m_To;
    std::size_t m_File = 0;  // created
  };
  CFolderState Build(std::size_t changes, const std::vector<std::size_t>& versions) const;
  std::size_t FileNamed(const std::string& name, std::string& error) const;

  std::string m_Folder;
  std::vector<CFile> m_Files;
  std::map<std::string, std::size_t> m_Before;  // names before the trace
  std::map<std::string, std::size_t> m_Names;   // names now
  std::vector<CChange> m_Changes;
  std::size_t m_FlushedChanges = 0;
};

}  // namespace endtoend

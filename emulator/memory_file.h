#pragma once
// Where each register's memory lives: "<base directory>/Memory/ECR<n>.txt", the memory text (see
// register_memory.h), and "ECR<n>.history", the electronic journal kept for history requests, one
// escaped line per line. The memory text is replaced whole after every command that changed the
// register and before the command's completion is told: written as "ECR<n>.txt.new", which then takes
// the old file's place (platform ReplaceOwnFile: the old file is removed first, because renaming over
// it costs ext4 about a millisecond). A driver that dies at any instant finds the register as the last
// completed command left it, or with the command that was on its way done as well.
//
// The memory text also records how long the printed journal and the history file were when it was
// written. Lines beyond those lengths were printed by a command whose memory never followed (the
// process died in between): at the next start they are cut off, as that command is lost.

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/register_state.h"

namespace emulator {

enum class MemorySync {
  kCached,  // replaced atomically; kept across any end of the process
  kSynced,  // also flushed to the disk, journal and history first, before the completion is told
};

class CMemoryFile {
 public:
  CMemoryFile(std::string baseDirectory, int ecr, MemorySync sync);

  // Gives the register what it remembers (keeping its faults), when there is a memory of this register
  // number and type; otherwise it stays as made, and an old history file is dropped.
  void Load(CRegister& ecr);
  // Writes the register's memory when it changed since the last time, and moves its new history lines
  // into the history file; false when it could not.
  bool Save(CRegister& ecr);
  // The whole electronic journal: the history file's lines and those not yet written.
  std::vector<std::string> History(const CRegister& ecr) const;

  std::string MemoryPath() const;
  std::string HistoryPath() const;

 private:
  void ForgetHistory();
  bool SaveHistory(CRegister& ecr, bool& changed);

  std::string m_BaseDirectory;
  int m_Ecr = 0;
  MemorySync m_Sync = MemorySync::kCached;
  std::string m_Saved;               // the memory text last written or read
  std::uint64_t m_HistoryBytes = 0;  // the length of the history file
};

}  // namespace emulator

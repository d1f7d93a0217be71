#pragma once
// Where each register's memory lives: "<base directory>/Memory/ECR<n>-1.txt" and "ECR<n>-2.txt", two
// files that take turns holding the memory text (see register_memory.h), and "ECR<n>.history", the
// electronic journal kept for history requests, one escaped line per line. After every command that
// changed the register, and before the command's completion is told, the memory text is written whole
// into the file that does not hold the newest memory, in place through a descriptor kept open (no file
// is made, renamed or removed, which would cost a few hundred microseconds a write, several times per
// receipt). A writer killed in the middle leaves that file cut short or with the old text's end after
// the new one; it is then no whole memory, and the other file, one write older, is taken. Each text
// carries the number of its write, so the newer of two whole files is known. A driver that dies at any
// instant finds the register as the last completed command left it, or with the command that was on
// its way done as well.
//
// The memory text also records how long the printed journal and the history file were when it was
// written. Lines beyond those lengths were printed by a command whose memory never followed (the
// process died in between): at the next start they are cut off, as that command is lost.

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/register_state.h"
#include "platform/rewritable_file.h"

namespace emulator {

enum class MemorySync {
  kCached,  // kept across any end of the process; after a power cut, as recent as the system wrote it
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

  std::string MemoryPath(int slot) const;  // slot 0 or 1
  std::string HistoryPath() const;

 private:
  void ForgetHistory();
  bool SaveHistory(CRegister& ecr, bool& changed);

  std::string m_BaseDirectory;
  int m_Ecr = 0;
  MemorySync m_Sync = MemorySync::kCached;
  bool OpenSlots();

  platform::CRewritableFile m_Slots[2];
  int m_Newest = -1;                 // the slot holding the newest whole memory; -1 none
  std::uint64_t m_Sequence = 0;      // its write's number
  std::string m_Saved;               // the memory text last written or read, with write number 0
  std::uint64_t m_HistoryBytes = 0;  // the length of the history file
};

}  // namespace emulator

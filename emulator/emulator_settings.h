#pragma once
// "QorEmulator.ini" in the base directory:
//   [Registers]        one key per register: number = type (read once, at Open)
//   1=1
//   2=2
//   [ECR2]             faults and settings of register 2, picked up while the emulator runs
//   PaperOut=1  GenericError=1  NotOperating=1  NoAnswer=1  Remote=1  LineDelayMs=40
//   [Memory]           Sync=1: each register's memory reaches the disk before a command completes
//                      (read once, at Open)
// Booleans are on when their value begins with "1". Without the file (or without a usable
// [Registers] section) the registers are 1, 2, 3, 4 of types 1, 2, 0, 3.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "emulator/register_state.h"

namespace emulator {

inline constexpr const char* kSettingsFileName = "QorEmulator.ini";

struct CEmulatorSettings {
  std::vector<std::pair<int, int>> m_Registers;  // number, type, in file order
  std::map<int, CRegisterFaults> m_Faults;        // by register number; missing = no faults
  bool m_SyncMemory = false;
};

// Parses the file's text; names of sections and keys match ignoring case.
CEmulatorSettings ParseEmulatorSettings(const std::string& text);
CEmulatorSettings LoadEmulatorSettings(const std::string& path);

}  // namespace emulator

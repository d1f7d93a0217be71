#pragma once
// One look at the driver of a base directory: is it running, and what does its status file say.
// Exit statuses:
//   0  every register ready or busy
//   1  a register needs a person (see NeedsLook)
//   2  no driver runs on the base directory (none ever wrote a status there, or the one that did ended)
//   3  a wrong command line, or a running driver whose status file cannot be read or has an unknown format

#include <string>

#include "tools/status/status_report.h"

namespace tools {

enum StatusExit { kAllWell = 0, kNeedsPerson = 1, kNoDriver = 2, kCannotTell = 3 };

struct CStatusLook {
  int m_Exit = kCannotTell;
  std::string m_Out;  // the report, or the file unchanged with json
  std::string m_Err;  // why nothing better could be said
};

// The base directory the driver would take: the folder of the fiscal control module registered in the
// store, else "" (the current folder).
std::string DefaultBaseDirectory();

// baseDirectory is "" or ends with "/".
CStatusLook LookAtDriver(const std::string& baseDirectory, bool json, Clock::time_point now);

}  // namespace tools

#pragma once
// The command a run starts: the program TillJobIt with ONE argument, "cash,file" or
// "cash,file,destination", the three values exactly as typed (no trimming, no quoting). The argument
// is handed to the program directly, never to a shell, so blanks, quotes, ";" or "$" in a path are
// data for TillJobIt and nothing else runs.

#include <string>

#include "demo/run_fields.h"

namespace demo {

inline constexpr const char* kTillJobItName = "TillJobIt";

std::string TillJobItArgument(const RunFields& fields);

// The program to start: the path in QOR_TILLJOBIT when that is set and not empty, else the first
// executable file named TillJobIt in a folder of PATH (an empty PATH entry is the current folder),
// else the one in ownFolder (TillDemo's own folder, where the build puts both programs); empty when
// there is none.
std::string FindTillJobIt(const std::string& ownFolder = "");

// Starts TillJobIt with the argument without waiting for it.
class ITillJobItStarter {
 public:
  virtual ~ITillJobItStarter() = default;
  // 0 when the program was started, nonzero when it could not be.
  virtual int Start(const std::string& argument) = 0;
};

}  // namespace demo

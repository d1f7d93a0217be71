#pragma once
// Starting a window program when its display cannot be opened (a DISPLAY naming no running X server,
// no DISPLAY at all, a missing platform plug-in): Qt then ends the process with its own abort message
// and a core dump. CDisplayStartGuard, set up just before the program's QApplication is made, turns
// that into the program's own plain line on standard error and exit status 1. What Qt reports while
// it starts is held back, and passed on as usual once the application stands.

#include <string>

namespace platform {

class CDisplayStartGuard {
 public:
  // failureText: the line written when no display can be opened (a line end is added).
  explicit CDisplayStartGuard(std::string failureText);
  ~CDisplayStartGuard();
  CDisplayStartGuard(const CDisplayStartGuard&) = delete;
  CDisplayStartGuard& operator=(const CDisplayStartGuard&) = delete;

  // The application stands: Qt's held-back messages go out and Qt's own handling is back.
  void Started();
};

// The display the program would use, for such a line: "DISPLAY=:0", or that none is set.
std::string DisplayInUse();

}  // namespace platform

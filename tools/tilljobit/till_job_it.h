#pragma once
// One submission from start to end: find the register's ticket folder, drop a copy of the ticket
// there, wait for the driver's reply, print it and answer with the ticket's result code.
//
// Exit codes: the reply's result code (0 = done, 22 = a record was rejected, ...; codes outside 0..255
// give 255), 124 when no reply came in time, 2 when the submission could not be made (wrong command
// line, unreadable ticket, no such register folder), 3 when the reply could not be read.

#include <iosfwd>

#include "tools/tilljobit/options.h"

namespace tools {

inline constexpr int kExitNotSubmitted = 2;
inline constexpr int kExitUnreadableReply = 3;
inline constexpr int kExitTimedOut = 124;

int RunTillJobIt(const TillJobItOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tools

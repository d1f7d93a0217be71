#pragma once
// The zero command family of register types 1 and 2: "0;" followed by ";"-terminated tokens, run in
// order until one is refused.
//
//   0        attention (every command starts with it)
//   *2 / *3  lock / unlock the keyboard        *4   clear a refused-command error and drop an
//                                                   unaccepted header
//   +<n>     mode n: 1 sales, 3 closure, 4 programming (refused while a receipt is open)
//   #Z       fiscal closure (mode 3)            #a   accept the header fetched by *T
//   #S141    table summary                      #S3:3  clear the displays
//   *F *G *L *T   uploads (mode 4): the register asks B80 (departments), B81 (PLUs), B84 (offers) or
//            B85 (header) by DataEvent until the reply "*" (or no reply) and takes each reply as one line
//   (T<text> / >T<text>   customer / operator display (refused in remote mode)
// and "%S%", which answers the last total with the DataEvent "D01 <cents>:<receipt number>".

#include <string>

#include "emulator/command_host.h"
#include "emulator/register_state.h"

namespace emulator {

bool IsZeroCommand(const std::string& text);
bool ZeroCommandPrints(const std::string& text);
CCommandOutcome ExecuteZeroCommand(CRegister& ecr, const std::string& text, ICommandHost& host);

// The queued line layouts of the uploads; false when the line does not fit.
bool TakeDepartmentLine(CRegister& ecr, const std::string& line);
bool TakePluLine(CRegister& ecr, const std::string& line);
bool TakeOfferLine(CRegister& ecr, const std::string& line);

}  // namespace emulator

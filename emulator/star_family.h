#pragma once
// The star command family of register types 0 and 3: short commands beginning with "*".
//
//   *LI / *U              lock / unlock the keyboard
//   *Sk *Sj *Sl *Si       key switch to C, L, P, R (refused while a receipt is open)
//   *SZ                   clear: display, the "C" mark, a pending PLU record and an unconfirmed header
//   *S01Q<n>B$<text>$QK   department n description; *S04Q<n>B<tax>QK tax; *S02Q<n>B<price>QK price;
//   *S05Q<n>B<amount>QK   LALO; *S06Q<n>B<amount>QK HALO (key P, departments 1-12)
//   *S11Q                 start PLU programming (key P); *SK ends it
//   *WH0<code><price digits>0000, *WH1<description><department letter><tax>   one PLU (code right-aligned
//                         in 13, price digits in 10, description in 18, department letter "A" = 1)
//   *I                    report the hello code in the hello text
//   *S30Q, *S3<n>Q$<text>$K, *S92Q   header programming (key P): start, line n+1, end
//   *S<4 digits>K         confirm the header with characters 4-7 of the hello code
//   *SkK                  fiscal closure (key C and total)
//   0;*2;#S141;*3;        table summary, the one zero-family text both families take

#include <optional>
#include <string>

#include "emulator/command_host.h"
#include "emulator/register_state.h"

namespace emulator {

struct CStarCommand;

// True when the text is a command of the family (its values are checked when it runs).
bool IsStarCommand(const std::string& text);
// Whether the command prints (held while the paper is out or the register is in error).
bool StarCommandPrints(const std::string& text);
CCommandOutcome ExecuteStarCommand(CRegister& ecr, const std::string& text, ICommandHost& host);

}  // namespace emulator

#pragma once
// The register's status as the control reports it (Request code 5 and StatusUpdateEvent), and the
// register list of Request 6 on register 123. Element texts with one leading character.
//
// Hello text layout (43 characters once the hello code was asked for, else 30):
//   0      key letter (star family: the key switch; zero family: R sales, Z closure, P programming, X idle)
//   1      "C" once a programming command has been taken, else "-"
//   2      "-"
//   3      "." when programming is allowed (no receipt open, register in order), else "-"
//   4-7    register number, four digits
//   8-10   status code, three digits: 1 generic error + 2 paper out + 4 not operating + 8 command refused
//   11-29  model name
//   30-37  hello code (star family, after "*I"); 38-40 "---"; 41-42 hello code suffix

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "emulator/register_state.h"

namespace emulator {

std::string HelloCode(const CRegister& ecr);  // 8 characters; characters 4-7 are digits
std::string HelloSuffix(const CRegister& ecr);
int StatusCode(const CRegister& ecr);
std::string HelloText(const CRegister& ecr);
std::string OperatingText(const CRegister& ecr);  // "0" not operating, "2" sales state, "1" otherwise
std::string StatusText(const CRegister& ecr);
// Every changing value StatusText reads, packed: equal inputs give the same text, so a status is built
// again only when one of them changed.
std::uint64_t StatusInputs(const CRegister& ecr);
// The answer to the counters request: receipts closed, fiscal closures and zero-sets made.
std::string CountersText(const CRegister& ecr);
std::string RegisterListText(const std::vector<std::pair<int, int>>& numbersAndTypes);

}  // namespace emulator

#pragma once
// The two columns of a printed receipt or report line: a text of 28 characters and an amount or count
// of 12, right-aligned. Characters are UTF-8 code points, as the tills' Greek and Italian texts arrive:
// a text is cut between characters, never inside one, and padded by what the printer shows.

#include <string>
#include <string_view>

namespace emulator {

// The left text cut to 28 characters and padded to 28, then the right text padded on the left to 12.
std::string Columns(std::string_view left, std::string_view right);

}  // namespace emulator

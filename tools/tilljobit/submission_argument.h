#pragma once
// The one argument TillJobIt is started with: "cash,file" or "cash,file,destination".
//
// The ticket path may itself hold commas, so the argument is split like this: the cash number is the
// text before the first comma; of the rest, the part after the last comma is the destination only when
// it names an existing folder, otherwise the whole rest is the ticket path. The cash number must be a
// register number in decimal digits (blanks around it are allowed, as TillDemo passes it as typed).

#include <functional>
#include <string>
#include <string_view>

namespace tools {

struct SubmissionArgument {
  int m_Cash = 0;
  std::string m_TicketPath;
  std::string m_Destination;  // empty when none was given
};

// 0 and the parts, or nonzero with a reason for the user.
int ParseSubmissionArgument(std::string_view argument, const std::function<bool(const std::string&)>& isFolder,
                            SubmissionArgument& parts, std::string& reason);

}  // namespace tools

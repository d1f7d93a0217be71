#pragma once
// What a register's ticket folder holds, as the end-to-end tests look at it.

#include <string>
#include <vector>

namespace endtoend {

// "<folder>/<name without .txt, lower case>.rep": where the driver answers a ticket.
std::string ReplyPath(const std::string& folder, const std::string& ticketName);
// Tickets not yet taken and work files of tickets not yet finished (".txt" in any case, ".mmm",
// ".xmm", ".mag", ".prg"); empty once everything dropped has been answered. A job removes its
// document and progress record just after its reply has taken its name, so this waits up to a few
// seconds for the folder to empty before it says what is left.
std::vector<std::string> HalfDone(const std::string& folder);
// Files of the folder with that extension whose names begin with prefix.
int CountWithExtension(const std::string& folder, const std::string& extension, const std::string& prefix = "");
// How often word stands in text (a register's journal): a receipt printed twice shows its items twice.
int Occurrences(const std::string& text, const std::string& word);

}  // namespace endtoend

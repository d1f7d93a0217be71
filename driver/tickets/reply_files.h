#pragma once
// The files that tell the point-of-sale software how a ticket went: one warning line per executed
// element in ".inf", and the reply in ".mag", renamed to ".rep" once complete, so that a ".rep" file
// always holds the whole reply. The same writers serve the jobs and the ticket intake (which answers
// the tickets that never reach a job). Every file is written without following a link planted under
// its name. Failures are logged and never change the job's outcome.

#include <cstdint>
#include <string>

namespace driver {

// "%3d%5d\n": the element's index, then its code.
std::string WarningLine(std::int32_t elementIndex, std::int32_t code);

// Appends the warning line to the warning file.
void AppendWarningLine(const std::string& warningPath, std::int32_t elementIndex, std::int32_t code);

// Appends "%s\n" to the reply work file.
void AppendReplyText(const std::string& replyWorkPath, const std::string& text);

// Appends "%d\n" to the reply work file. False when the line could not be written whole; the work
// file is then removed, since a reply without its code would read as an answer.
bool WriteReplyCode(const std::string& replyWorkPath, std::int32_t code);

// Gives the complete work file its reply name. The rename never replaces a reply file that already
// exists: the reply then stays in the work file.
bool NameReply(const std::string& replyWorkPath, const std::string& replyPath);

// Removes one of a job's files; an empty path, a missing file or a failure is ignored.
void RemoveJobFile(const std::string& path);

}  // namespace driver

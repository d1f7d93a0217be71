#include "tools/tilljobit/till_job_it.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>

#include "platform/store.h"
#include "tools/tilljobit/reply_report.h"
#include "tools/tilljobit/reply_wait.h"
#include "tools/tilljobit/submission_argument.h"
#include "tools/tilljobit/ticket_drop.h"
#include "tools/tilljobit/ticket_root.h"

namespace tools {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ChosenTicketRoot(const TillJobItOptions& options, const SubmissionArgument& parts) {
  if (!parts.m_Destination.empty()) return parts.m_Destination;
  std::string base = options.m_Base ? *options.m_Base : BaseDirectory(platform::Store());
  if (!base.empty() && base.back() != '/') base += '/';
  return TicketRoot(base);
}

int Refuse(std::ostream& err, const std::string& reason) {
  err << "TillJobIt: " << reason << "\n";
  return kExitNotSubmitted;
}

}  // namespace

int RunTillJobIt(const TillJobItOptions& options, std::ostream& out, std::ostream& err) {
  SubmissionArgument parts;
  std::string reason;
  if (ParseSubmissionArgument(options.m_Argument, IsFolder, parts, reason) != 0) return Refuse(err, reason);
  std::string folder = RegisterFolder(ChosenTicketRoot(options, parts), parts.m_Cash);
  // The driver makes a folder for each register it drives; a missing one means nobody would answer.
  if (!IsFolder(folder)) return Refuse(err, "no ticket folder " + folder + " (is the driver running with register " +
                                            std::to_string(parts.m_Cash) + "?)");
  DroppedTicket ticket;
  if (DropTicket(parts.m_TicketPath, folder, ticket, reason) != 0) {
    // A last part that is no existing folder stays part of the ticket path; say so, it is easy to miss.
    if (parts.m_TicketPath.find(',') != std::string::npos)
      reason += " (a destination after the last comma must be an existing folder)";
    return Refuse(err, reason);
  }
  out << "ticket: " << ticket.m_TicketPath << "\n" << std::flush;

  if (!WaitForReplyFile(folder, ticket.m_ReplyPath, options.m_Timeout)) {
    err << "TillJobIt: no reply for " << ticket.m_TicketPath << " within " << options.m_Timeout.count()
        << " ms; the ticket stays in the folder\n";
    return kExitTimedOut;
  }
  ReplyOutcome outcome;
  if (ReadReply(ticket, outcome, reason) != 0) {
    err << "TillJobIt: " << reason << "\n";
    return kExitUnreadableReply;
  }
  out << FormatOutcome(ticket, outcome) << std::flush;
  if (!options.m_Keep) {
    ::unlink(ticket.m_ReplyPath.c_str());
    ::unlink(ticket.m_WarningPath.c_str());
  }
  return ExitCodeFor(outcome.m_Code);
}

}  // namespace tools

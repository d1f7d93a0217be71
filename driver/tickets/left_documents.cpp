#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

#include "driver/tickets/reply_files.h"
#include "driver/tickets/ticket_intake.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"
#include "platform/text_file.h"

// The command documents a driver that stopped or was killed (or lost its power) left in a register's
// folder. Each is handed to a job again, oldest first and before the register's new tickets, and the
// job resolves it from the record of its progress (or runs it, when it never began). A document whose
// ticket is still there never reached its job (the driver ended between writing it and removing the
// ticket): the ticket will be taken again, so the document goes. A work file (".mmm") is a translation
// cut off. A reply work file (".mag") with neither its ticket nor a document beside it is an answer of
// the intake whose code was on the disk and whose ticket had gone: it gets its name now.

namespace driver {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool EndsWith(const std::string& text, const char* end) {
  const std::size_t size = std::char_traits<char>::length(end);
  return text.size() >= size && text.compare(text.size() - size, size, end) == 0;
}

// "x_0003.xmm" is the document of the ticket "x.txt".
std::string TicketStemOf(const std::string& documentName) {
  const std::size_t underscore = documentName.rfind('_');
  return underscore == std::string::npos ? documentName.substr(0, documentName.size() - 4)
                                         : documentName.substr(0, underscore);
}

struct CLeftDocument {
  std::int64_t m_Modified = 0;
  std::string m_Name;
  bool operator<(const CLeftDocument& other) const {
    return m_Modified != other.m_Modified ? m_Modified < other.m_Modified : m_Name < other.m_Name;
  }
};

// A whole reply ends with its code on a line of its own.
bool IsWholeReply(const std::string& text) {
  if (text.size() < 2 || text.back() != '\n') return false;
  const std::size_t end = text.size() - 1;
  const std::size_t previous = text.rfind('\n', end - 1);
  const std::size_t start = previous == std::string::npos ? 0 : previous + 1;
  const std::string_view last(text.data() + start, end - start);
  return !last.empty() && last.find_first_not_of("-0123456789") == std::string_view::npos;
}

void CompleteLeftReply(const std::string& folder, const std::string& name) {
  const std::string work = folder + "/" + name;
  const std::string reply = folder + "/" + name.substr(0, name.size() - 4) + ".rep";
  if (IsWholeReply(platform::ReadWholeFile(work).value_or(std::string()))) {
    platform::DebugLog("ProcessTicketFile: the reply [%s] left by an earlier run: named", work.c_str());
    NameReply(work, reply);
  } else {
    RemoveFile(work);
  }
}

}  // namespace

void CTicketIntake::ResumeLeftDocuments(CEcrContext& ecr) {
  const std::string folder = ecr.TicketFolder();
  std::optional<std::vector<platform::FolderEntry>> listing = platform::ListFolder(folder);
  if (!listing) return;
  std::set<std::string> tickets, documents;
  std::vector<CLeftDocument> left;
  std::vector<std::string> records, replies;
  for (const platform::FolderEntry& entry : *listing) {
    if (entry.m_Kind != platform::EntryKind::RegularFile) continue;
    const std::string path = folder + "/" + entry.m_Name;
    if (IsTicketFileName(entry.m_Name)) tickets.insert(Lower(entry.m_Name.substr(0, entry.m_Name.size() - 4)));
    if (EndsWith(entry.m_Name, ".mmm")) RemoveFile(path);
    if (EndsWith(entry.m_Name, ".prg")) records.push_back(entry.m_Name);
    if (EndsWith(entry.m_Name, ".mag")) replies.push_back(entry.m_Name);
    if (!EndsWith(entry.m_Name, ".xmm")) continue;
    documents.insert(entry.m_Name.substr(0, entry.m_Name.size() - 4));
    std::optional<platform::FileIdentity> identity = platform::IdentityOf(path);
    left.push_back({identity ? identity->m_ModifiedNs : 0, entry.m_Name});
  }
  // A record whose document is gone belongs to a reply already given.
  for (const std::string& record : records)
    if (!documents.count(record.substr(0, record.size() - 4))) RemoveFile(folder + "/" + record);
  std::set<std::string> documentStems;
  for (const CLeftDocument& document : left) documentStems.insert(TicketStemOf(document.m_Name));
  for (const std::string& reply : replies) {
    const std::string stem = reply.substr(0, reply.size() - 4);
    if (!tickets.count(stem) && !documentStems.count(stem)) CompleteLeftReply(folder, reply);
  }
  std::sort(left.begin(), left.end());
  for (const CLeftDocument& document : left) {
    const std::string path = folder + "/" + document.m_Name;
    const std::string stem = TicketStemOf(document.m_Name);
    if (!platform::Exists(ProgressPathOf(path)) && tickets.count(stem)) {
      platform::DebugLog("ProcessTicketFile: [%s] never reached its job; its ticket is taken again", path.c_str());
      RemoveFile(path);
      continue;
    }
    platform::DebugLog("ProcessTicketFile: [%s] left by an earlier run: resumed", path.c_str());
    const CTicketNames ticket = MakeTicketNames(folder, stem + ".txt");
    m_ReplyNames.Taken(ticket, path);
    StartJob(ticket, path, ecr);
  }
}

}  // namespace driver

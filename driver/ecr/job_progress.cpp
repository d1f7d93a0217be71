#include "driver/ecr/job_progress.h"

#include <sstream>

#include "driver/control/tag_value.h"
#include "driver/tickets/ticket_files.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"
#include "platform/text_file.h"

namespace driver {
namespace {

std::int64_t CounterOf(const std::string& text, const char* name) {
  const std::string value = GetTagValue(text, std::string("<") + name + ">", std::string("</") + name + ">");
  if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || value.size() > 15) return -1;
  return std::stoll(value);
}

std::string CounterText(std::int64_t value) { return value < 0 ? "-" : std::to_string(value); }

std::int64_t ReadCounter(const std::string& word) {
  if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos || word.size() > 15) return -1;
  return std::stoll(word);
}

CReplyLengths ReadLengths(std::istringstream& words) {
  std::string warnings, reply;
  words >> warnings >> reply;
  return {ReadCounter(warnings), ReadCounter(reply)};
}

std::string LengthsText(const CReplyLengths& lengths) {
  return " " + CounterText(lengths.m_Warnings) + " " + CounterText(lengths.m_Reply);
}

}  // namespace

CRegisterCounters ParseRegisterCounters(const std::string& text) {
  return {CounterOf(text, "RECEIPTNO"), CounterOf(text, "CLOSURENO"), CounterOf(text, "ZEROSETNO")};
}

CJobProgress::CJobProgress(const std::string& documentPath) : m_Path(ProgressPathOf(documentPath)) {}

// A line cut short (no line end) or not understood ends the record: what follows it cannot be trusted.
std::optional<CJobRecord> CJobProgress::Read() const {
  const std::optional<std::string> text = platform::ReadWholeFile(m_Path);
  if (!text) return std::nullopt;
  CJobRecord record;
  std::istringstream lines(*text);
  std::string line;
  for (std::size_t read = 0; std::getline(lines, line); ) {
    read += line.size() + 1;
    if (read > text->size()) break;
    std::istringstream words(line);
    std::string step;
    words >> step;
    if (step == "start") {
      std::string receipts, closures, zeroSets;
      words >> receipts >> closures >> zeroSets;
      record.m_AtStart = {ReadCounter(receipts), ReadCounter(closures), ReadCounter(zeroSets)};
    } else if (step == "begin") {
      CJobRecord::CElement element;
      if (!(words >> element.m_Index >> element.m_Tag)) break;
      element.m_Before = ReadLengths(words);
      record.m_Elements.push_back(element);
    } else if (step == "done") {
      int index = 0;
      std::int32_t code = 0;
      if (!(words >> index >> code) || record.m_Elements.empty() || record.m_Elements.back().m_Index != index) break;
      record.m_Elements.back().m_Code = code;
      record.m_Elements.back().m_After = ReadLengths(words);
    } else if (step == "reply") {
      std::int32_t code = 0;
      if (!(words >> code)) break;
      record.m_Reply = code;
      record.m_AtReply = ReadLengths(words);
    } else {
      break;
    }
  }
  return record;
}

platform::SystemError CJobProgress::Start(const CRegisterCounters& counters) const {
  return Append("start " + CounterText(counters.m_Receipts) + " " + CounterText(counters.m_Closures) + " " +
                CounterText(counters.m_ZeroSets));
}

platform::SystemError CJobProgress::Begin(int index, const std::string& tag, const CReplyLengths& lengths) const {
  return Append("begin " + std::to_string(index) + " " + tag + LengthsText(lengths));
}

platform::SystemError CJobProgress::Done(int index, std::int32_t code, const CReplyLengths& lengths) const {
  return Append("done " + std::to_string(index) + " " + std::to_string(code) + LengthsText(lengths));
}

platform::SystemError CJobProgress::Reply(std::int32_t code, const CReplyLengths& lengths) const {
  return Append("reply " + std::to_string(code) + LengthsText(lengths));
}

void CJobProgress::Remove() const { platform::RemoveFile(m_Path); }

platform::SystemError CJobProgress::Append(const std::string& line) const {
  const platform::SystemError error = platform::AppendToFile(m_Path, line + "\n");
  if (error.Failed()) platform::DebugLog("[ZEDO] Job progress [%s] not written: %s", m_Path.c_str(), error.Text().c_str());
  return error;
}

}  // namespace driver

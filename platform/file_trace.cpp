#include "platform/file_trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "platform/fault_point.h"

namespace platform {
namespace {

struct CTraceFile {
  int m_Fd = -1;
  std::mutex m_Lock;
};

CTraceFile& Trace() {
  static CTraceFile* trace = [] {
    auto* made = new CTraceFile;
    if (const char* path = std::getenv("QOR_FILE_TRACE"); path != nullptr && *path != '\0')
      made->m_Fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return made;
  }();
  return *trace;
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 15]);
  }
  return text;
}

}  // namespace

CFileOperationTrace::CFileOperationTrace() : m_Tracing(Trace().m_Fd >= 0) {
  if (m_Tracing) Trace().m_Lock.lock();
}

CFileOperationTrace::~CFileOperationTrace() {
  if (m_Tracing) Trace().m_Lock.unlock();
}

void CFileOperationTrace::Record(const char* operation, const std::string& path, std::string_view argument) {
  if (!m_Tracing) return;
  std::string line = std::string(operation) + "\t" + path;
  if (!argument.empty()) line.append("\t").append(argument);
  line.push_back('\n');
  // One write: the line is whole in the file even when the process is killed right after.
  if (::write(Trace().m_Fd, line.data(), line.size()) < 0) return;
  FaultPoint("fileop");
}

void CFileOperationTrace::RecordBytes(const char* operation, const std::string& path, std::string_view bytes) {
  if (m_Tracing) Record(operation, path, Hex(bytes));
}

}  // namespace platform

#pragma once
// Test-only record of what the driver does to the files in its folders, for the tests that rebuild
// what a power cut may leave on the disk. With QOR_FILE_TRACE=<file> every create, write, cut,
// rename, removal, reservation and flush done through folder_files.h is appended to that file as one
// line, in the order the operations took effect (they are serialised while tracing), and each one
// passes the fault point "fileop" afterwards, so a test can end the process right after its n-th
// operation. Without the variable, as always outside tests, a trace costs one comparison.
//
// Lines: "<operation>\t<path>[\t<argument>]\n"; the argument is a length, a second path, or the bytes
// written, as hexadecimal digits.

#include <string>
#include <string_view>

namespace platform {

class CFileOperationTrace {
 public:
  // Holds the trace's lock while tracing, so that the operation and its line are not overtaken by
  // another thread's.
  CFileOperationTrace();
  ~CFileOperationTrace();
  CFileOperationTrace(const CFileOperationTrace&) = delete;
  CFileOperationTrace& operator=(const CFileOperationTrace&) = delete;

  // Records an operation that took effect; nothing when tracing is off.
  void Record(const char* operation, const std::string& path, std::string_view argument = {});
  void RecordBytes(const char* operation, const std::string& path, std::string_view bytes);

 private:
  bool m_Tracing;
};

}  // namespace platform

#pragma once
// Reads a command document one element line at a time. Lines of any length are read whole (a long
// element is never split into pieces that would run as separate elements); the line end, a newline
// with an optional carriage return before it, is removed.

#include <fstream>
#include <string>

namespace driver {

class CDocumentReader {
 public:
  // False when the document cannot be opened.
  bool Open(const std::string& path);
  // The next line; false at the end of the document.
  bool NextLine(std::string& line);
  void Close();

 private:
  std::ifstream m_File;
};

}  // namespace driver

#pragma once
// Writes a command document: one element per line, each followed by a line end. The document is
// written under its work name (".mmm") and gets its ".xmm" name only when complete, so a reader never
// meets a half-written document.

#include <cstdio>
#include <string>
#include <string_view>

namespace driver {

class CCommandDocumentWriter {
 public:
  CCommandDocumentWriter() = default;
  ~CCommandDocumentWriter();
  CCommandDocumentWriter(const CCommandDocumentWriter&) = delete;
  CCommandDocumentWriter& operator=(const CCommandDocumentWriter&) = delete;

  // Creates the work file empty; false when it cannot be created.
  bool Create(const std::string& workPath);
  void Append(std::string_view element);
  // Closes the work file; false when any write failed (for example a full disk).
  bool Close();

 private:
  std::FILE* m_File = nullptr;
  bool m_Failed = false;
};

}  // namespace driver

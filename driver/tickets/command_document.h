#pragma once
// Writes a command document: one element per line, each followed by a line end. The document is
// written under its work name (".mmm") and gets its ".xmm" name only when complete, so a reader never
// meets a half-written document. The work file is created new, never through a link planted under
// its name.

#include <string>
#include <string_view>

namespace driver {

class CCommandDocumentWriter {
 public:
  // Creates the work file empty; false when it cannot be created.
  bool Create(const std::string& workPath);
  void Append(std::string_view element);
  // Writes the elements and closes the work file; false when it was not written whole (a full disk).
  bool Close();

 private:
  std::string m_Path;
  bool m_Created = false;
  std::string m_Text;
};

}  // namespace driver

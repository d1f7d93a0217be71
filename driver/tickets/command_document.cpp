#include "driver/tickets/command_document.h"

#include "platform/folder_files.h"

namespace driver {

bool CCommandDocumentWriter::Create(const std::string& workPath) {
  m_File = platform::CreateNewFile(workPath);
  m_Text.clear();
  return m_File.IsOpen();
}

void CCommandDocumentWriter::Append(std::string_view element) {
  m_Text.append(element);
  m_Text.push_back('\n');
}

bool CCommandDocumentWriter::Close() {
  if (!m_File.IsOpen()) return false;
  bool written = platform::WriteAll(m_File, m_Text);
  return m_File.Close() && written;
}

}  // namespace driver

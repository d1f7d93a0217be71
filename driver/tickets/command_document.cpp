#include "driver/tickets/command_document.h"

#include "platform/folder_files.h"

namespace driver {

bool CCommandDocumentWriter::Create(const std::string& workPath) {
  m_Path = workPath;
  m_Text.clear();
  platform::FileDescriptor file = platform::CreateNewFile(workPath);
  m_Created = file.IsOpen();
  return m_Created && file.Close();
}

void CCommandDocumentWriter::Append(std::string_view element) {
  m_Text.append(element);
  m_Text.push_back('\n');
}

bool CCommandDocumentWriter::Close() {
  if (!m_Created) return false;
  m_Created = false;
  return m_Text.empty() || !platform::AppendToFile(m_Path, m_Text).Failed();
}

}  // namespace driver

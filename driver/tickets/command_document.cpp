#include "driver/tickets/command_document.h"

namespace driver {

CCommandDocumentWriter::~CCommandDocumentWriter() { Close(); }

bool CCommandDocumentWriter::Create(const std::string& workPath) {
  m_File = std::fopen(workPath.c_str(), "w");
  m_Failed = false;
  return m_File != nullptr;
}

void CCommandDocumentWriter::Append(std::string_view element) {
  if (!m_File) return;
  if (std::fwrite(element.data(), 1, element.size(), m_File) != element.size() || std::fputc('\n', m_File) == EOF)
    m_Failed = true;
}

bool CCommandDocumentWriter::Close() {
  if (!m_File) return false;
  bool ok = std::fclose(m_File) == 0 && !m_Failed;
  m_File = nullptr;
  return ok;
}

}  // namespace driver

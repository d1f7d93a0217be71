#include "driver/ecr/document_reader.h"

namespace driver {

bool CDocumentReader::Open(const std::string& path) {
  m_File.open(path, std::ios::binary);
  return m_File.is_open();
}

bool CDocumentReader::NextLine(std::string& line) {
  if (!std::getline(m_File, line)) return false;
  // A carriage return belongs to the line end only when a newline follows it.
  bool endedByNewline = !m_File.eof();
  if (endedByNewline && !line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void CDocumentReader::Close() { m_File.close(); }

}  // namespace driver

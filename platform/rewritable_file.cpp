#include "platform/rewritable_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool CRewritableFile::Open(const std::string& path) {
  m_File = FileDescriptor(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
  return m_File.IsOpen();
}

std::optional<std::string> CRewritableFile::Read() const {
  if (!m_File.IsOpen()) return std::nullopt;
  std::string bytes;
  if (ReadOpenFile(m_File, static_cast<std::size_t>(-1) - 1, bytes) != ReadOutcome::Read) return std::nullopt;
  return bytes;
}

bool CRewritableFile::Rewrite(std::string_view bytes, Durability durability) {
  if (!m_File.IsOpen()) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::pwrite(m_File.Get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  if (::ftruncate(m_File.Get(), static_cast<off_t>(bytes.size())) != 0) return false;
  return durability == Durability::kCached || ::fdatasync(m_File.Get()) == 0;
}

}  // namespace platform

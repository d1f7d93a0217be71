#pragma once
// An open file descriptor owned by one object: closed when the object goes, moved but never copied.
// Header only, so the folder watcher's module uses it without linking anything of the system's own.

#include <unistd.h>

#include <utility>

namespace platform {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : m_Fd(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(FileDescriptor&& other) noexcept : m_Fd(std::exchange(other.m_Fd, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      m_Fd = std::exchange(other.m_Fd, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool IsOpen() const { return m_Fd >= 0; }
  int Get() const { return m_Fd; }
  // Gives the descriptor up to the caller, who closes it from then on.
  int Release() { return std::exchange(m_Fd, -1); }
  // False when the system reports a failure of the file's last writes (or nothing was open).
  bool Close() {
    if (m_Fd < 0) return false;
    return ::close(std::exchange(m_Fd, -1)) == 0;
  }

 private:
  int m_Fd = -1;
};

}  // namespace platform

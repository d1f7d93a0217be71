#pragma once
// Owns one open file descriptor (an inotify instance or an eventfd) and closes it once.

#include <unistd.h>

#include <utility>

namespace monitor {

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

  int Get() const { return m_Fd; }
  bool IsOpen() const { return m_Fd >= 0; }

 private:
  void Close() {
    if (m_Fd >= 0) ::close(m_Fd);
    m_Fd = -1;
  }

  int m_Fd = -1;
};

}  // namespace monitor

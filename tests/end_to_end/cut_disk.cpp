#include "tests/end_to_end/cut_disk.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

namespace endtoend {
namespace {

constexpr char kWriteBack[] = "/proc/sys/vm/dirty_writeback_centisecs";
constexpr char kExpire[] = "/proc/sys/vm/dirty_expire_centisecs";
// No periodic write-back, and dirty pages never old enough to be written for their age.
constexpr char kHeldWriteBack[] = "0";
constexpr char kHeldExpire[] = "360000";
constexpr off_t kImageSize = 64 << 20;
constexpr char kMountOptions[] = "loop,commit=600";

// The paths quoted here come from mkdtemp and the test's own names: they hold no quote.
std::string Quoted(const std::string& word) { return "'" + word + "'"; }

// Runs a command line with its output (both streams) in output; its exit code, or -1 when it did not
// run or end normally.
int Run(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int status = ::pclose(pipe);
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The program's path on PATH or in the administrator's folders (often not on a user's PATH), else empty.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(std::string(path != nullptr ? path : "") + ":/usr/sbin:/sbin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return folder + "/" + name;
  }
  return {};
}

bool ReadSetting(const char* path, std::string& value) {
  FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  char line[64] = {};
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  value = line;
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return read && !value.empty();
}

bool WriteSetting(const char* path, const std::string& value, std::string& error) {
  const int fd = ::open(path, O_WRONLY | O_TRUNC);
  const bool written =
      fd >= 0 && ::write(fd, value.data(), value.size()) == static_cast<ssize_t>(value.size());
  if (!written) error = std::string("cannot write ") + path + ": " + std::strerror(errno);
  if (fd >= 0) ::close(fd);
  return written;
}

// A plain read of the disk: what the mounted file system has sent it so far, nothing of its dirty pages.
bool CopyImage(const std::string& from, const std::string& to, std::string& error) {
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  bool copied = in >= 0 && out >= 0;
  std::string buffer(1 << 20, '\0');
  while (copied) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    copied = ::write(out, buffer.data(), static_cast<std::size_t>(got)) == got;
  }
  if (!copied) error = "cannot copy " + from + " to " + to + ": " + std::strerror(errno);
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
  return copied;
}

}  // namespace

CCutDisk::CCutDisk(std::string mountPoint) : m_MountPoint(std::move(mountPoint)) {
  if (::geteuid() != 0) {
    m_Reason = "mounting a file system image needs root";
    return;
  }
  m_Mkfs = FindProgram("mkfs.ext4");
  m_Fsck = FindProgram("e2fsck");
  m_MountProgram = FindProgram("mount");
  m_UmountProgram = FindProgram("umount");
  if (m_Mkfs.empty() || m_Fsck.empty() || m_MountProgram.empty() || m_UmountProgram.empty()) {
    m_Reason = "mkfs.ext4, e2fsck, mount or umount is missing";
    return;
  }
  if (::access("/dev/loop-control", W_OK) != 0) {
    m_Reason = std::string("no loop device: /dev/loop-control: ") + std::strerror(errno);
    return;
  }
  if (!TakeTurn() || !HoldWriteBack()) return;
  m_Image = m_Images / "disk0.img";
  const int fd = ::open(m_Image.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  const bool sized = fd >= 0 && ::ftruncate(fd, kImageSize) == 0;
  if (fd >= 0) ::close(fd);
  std::string output;
  if (!sized || Run(Quoted(m_Mkfs) + " -q -F " + Quoted(m_Image), output) != 0) {
    m_Reason = "cannot make an ext4 image: " + output;
    return;
  }
  if (!Mount(m_Image, m_Reason)) m_Reason = "the loop mount was refused: " + m_Reason;
}

CCutDisk::~CCutDisk() {
  std::string output;
  if (m_Mounted) Run(Quoted(m_UmountProgram) + " -l " + Quoted(m_MountPoint), output);
  RestoreWriteBack();
  if (m_Turn >= 0) ::close(m_Turn);
}

bool CCutDisk::Flush() {
  const int fd = ::open(m_MountPoint.c_str(), O_RDONLY | O_DIRECTORY);
  const bool flushed = fd >= 0 && ::syncfs(fd) == 0;
  if (fd >= 0) ::close(fd);
  return flushed;
}

bool CCutDisk::Cut(std::string& note) {
  note.clear();
  const std::string copy = m_Images / ("disk" + std::to_string(++m_Generation) + ".img");
  if (!CopyImage(m_Image, copy, note)) return false;
  std::string output;
  // 1 and 2 say it repaired what a cut leaves behind (free counts, orphans): that is expected.
  const int checked = Run(Quoted(m_Fsck) + " -fy " + Quoted(copy), output);
  if (checked < 0 || checked > 2) note = "e2fsck ended with " + std::to_string(checked) + ":\n" + output;
  if (Run(Quoted(m_UmountProgram) + " -l " + Quoted(m_MountPoint), output) != 0) {
    note += "umount: " + output;
    return false;
  }
  m_Mounted = false;
  std::error_code ignored;
  std::filesystem::remove(m_Image, ignored);
  m_Image = copy;
  std::string error;
  if (!Mount(copy, error)) {
    note += "mount: " + error;
    return false;
  }
  return true;
}

// Two disks at once, in two test programs, would each put back what the other had set and leave the
// kernel holding its writes back for good: they take turns, locking the setting itself (not inherited
// by the programs started meanwhile, which would keep the lock after this one ends).
bool CCutDisk::TakeTurn() {
  m_Turn = ::open(kWriteBack, O_RDONLY | O_CLOEXEC);
  if (m_Turn < 0) {
    m_Reason = std::string("cannot open ") + kWriteBack + ": " + std::strerror(errno);
    return false;
  }
  const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (::flock(m_Turn, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > limit) {
      m_Reason = std::string("another power-cut disk kept ") + kWriteBack + " locked: " + std::strerror(errno);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool CCutDisk::HoldWriteBack() {
  std::string writeBack;
  std::string expire;
  if (!ReadSetting(kWriteBack, writeBack) || !ReadSetting(kExpire, expire)) {
    m_Reason = "cannot read /proc/sys/vm";
    return false;
  }
  // Exactly our values: a test program killed before it could put them back left them; the kernel's
  // defaults are what it found.
  if (writeBack == kHeldWriteBack && expire == kHeldExpire) {
    writeBack = "500";
    expire = "3000";
  }
  if (!WriteSetting(kWriteBack, kHeldWriteBack, m_Reason)) return false;
  m_OldWriteBack = writeBack;
  if (!WriteSetting(kExpire, kHeldExpire, m_Reason)) return false;
  m_OldExpire = expire;
  return true;
}

void CCutDisk::RestoreWriteBack() {
  std::string ignored;
  if (!m_OldWriteBack.empty()) WriteSetting(kWriteBack, m_OldWriteBack, ignored);
  if (!m_OldExpire.empty()) WriteSetting(kExpire, m_OldExpire, ignored);
}

bool CCutDisk::Mount(const std::string& image, std::string& error) {
  const std::string command = Quoted(m_MountProgram) + " -o " + kMountOptions + " " + Quoted(image) + " " +
                              Quoted(m_MountPoint);
  if (Run(command, error) != 0) return false;
  m_Mounted = true;
  return true;
}

}  // namespace endtoend

#include "platform/folder_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_trace.h"

namespace platform {
namespace {

EntryKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::RegularFile;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  if (S_ISLNK(mode)) return EntryKind::SymbolicLink;
  return EntryKind::Special;
}

std::optional<EntryKind> KindOf(DIR* listing, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG: return EntryKind::RegularFile;
    case DT_DIR: return EntryKind::Folder;
    case DT_LNK: return EntryKind::SymbolicLink;
    case DT_UNKNOWN: break;
    default: return EntryKind::Special;
  }
  struct stat info {};
  if (::fstatat(::dirfd(listing), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return KindOf(info.st_mode);
}

FileIdentity IdentityFrom(const struct stat& info) {
  FileIdentity identity;
  identity.m_Device = info.st_dev;
  identity.m_Inode = info.st_ino;
  identity.m_Size = info.st_size;
  identity.m_ModifiedNs = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
  identity.m_ChangedNs = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
  return identity;
}

// A link or special file is in the way of a file the driver writes: removed. A folder or a regular
// file stays.
bool RemoveIfNotRegular(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return false;
  return !RemoveFile(path).Failed();
}

// Opens a regular file for appending, creating it. O_NOFOLLOW fails on a link (ELOOP); O_NONBLOCK
// makes a FIFO without a reader fail (ENXIO) instead of waiting for one, and one with a reader open;
// either way the thing in the way is removed and the open tried once more.
FileDescriptor OpenForAppend(const std::string& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (file.IsOpen()) {
      struct stat info {};
      if (::fstat(file.Get(), &info) == 0 && S_ISREG(info.st_mode)) return file;
    } else if (errno != ELOOP && errno != ENXIO) {
      return {};
    }
    if (!RemoveIfNotRegular(path)) return {};
  }
  return {};
}

}  // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (!listing) return std::nullopt;
  std::vector<FolderEntry> entries;
  while (dirent* entry = ::readdir(listing)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    // An entry gone between the listing and the look at it is not listed.
    if (std::optional<EntryKind> kind = KindOf(listing, *entry)) entries.push_back({std::string(name), *kind});
  }
  ::closedir(listing);
  return entries;
}

std::optional<EntryKind> KindAt(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return KindOf(info.st_mode);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

std::optional<FileIdentity> IdentityOf(const FileDescriptor& file) {
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

bool Exists(const std::string& path) { return IdentityOf(path).has_value(); }

SystemError RemoveFile(const std::string& path) {
  if (path.empty()) return {};
  CFileOperationTrace trace;
  if (::unlink(path.c_str()) == 0) {
    trace.Record("remove", path);
    return {};
  }
  return errno == ENOENT ? SystemError() : SystemError::Last("unlink");
}

SystemError RenameFile(const std::string& from, const std::string& to) {
  CFileOperationTrace trace;
  if (::rename(from.c_str(), to.c_str()) != 0) return SystemError::Last("rename");
  trace.Record("rename", from, to);
  return {};
}

SystemError RenameWithoutReplacing(const std::string& from, const std::string& to) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    {
      CFileOperationTrace trace;
      if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        trace.Record("rename", from, to);
        return {};
      }
      if (errno == EINVAL || errno == ENOSYS) {
        // Filesystems without RENAME_NOREPLACE: a hard link fails the same way when the target exists.
        if (::link(from.c_str(), to.c_str()) == 0) {
          ::unlink(from.c_str());
          trace.Record("rename", from, to);
          return {};
        }
      }
    }
    const SystemError failed = SystemError::Last("rename");
    if (failed.Number() != EEXIST || !RemoveIfNotRegular(to)) return failed;
  }
  return {"rename", EEXIST};
}

SystemError AppendToFile(const std::string& path, std::string_view bytes) {
  FileDescriptor file = OpenForAppend(path);
  if (!file.IsOpen()) return SystemError::Last("open");
  CFileOperationTrace trace;
  struct stat before {};
  if (::fstat(file.Get(), &before) != 0) return SystemError::Last("fstat");
  // One write: a reader never sees half a line.
  const ssize_t put = ::write(file.Get(), bytes.data(), bytes.size());
  if (put == static_cast<ssize_t>(bytes.size())) {
    trace.RecordBytes("append", path, bytes);
    return {};
  }
  // A write cut short found no more room on the disk.
  const SystemError failed = put < 0 ? SystemError::Last("write") : SystemError("write", ENOSPC);
  // A part written is taken back, so the next append does not follow half a line.
  if (put > 0 && ::ftruncate(file.Get(), before.st_size) != 0) trace.RecordBytes("append", path, bytes.substr(0, put));
  return failed;
}

FileDescriptor CreateNewFile(const std::string& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    CFileOperationTrace trace;
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.IsOpen()) {
      trace.Record("create", path);
      return file;
    }
    if (errno != EEXIST || RemoveFile(path).Failed()) return {};
  }
  return {};
}

namespace {

// Opens an existing regular file without following a link and without blocking on a special file.
FileDescriptor OpenRegular(const std::string& path, int flags, SystemError& error) {
  FileDescriptor file(::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file.IsOpen()) {
    error = SystemError::Last("open");
    return {};
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error = SystemError("open", EINVAL);
    return {};
  }
  return file;
}

}  // namespace

SystemError FlushFile(const std::string& path) {
  SystemError error;
  FileDescriptor file = OpenRegular(path, O_RDONLY, error);
  if (!file.IsOpen()) return error;
  CFileOperationTrace trace;
  if (::fdatasync(file.Get()) != 0) return SystemError::Last("fdatasync");
  trace.Record("flushfile", path);
  return {};
}

SystemError FlushFolder(const std::string& folder) {
  FileDescriptor file(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!file.IsOpen()) return SystemError::Last("open");
  CFileOperationTrace trace;
  if (::fsync(file.Get()) != 0) return SystemError::Last("fsync");
  trace.Record("flushfolder", folder);
  return {};
}

SystemError ReserveRoom(const std::string& path, std::int64_t bytes) {
  SystemError error;
  FileDescriptor file = OpenRegular(path, O_WRONLY, error);
  if (!file.IsOpen()) return error;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return SystemError::Last("fstat");
  CFileOperationTrace trace;
  if (::fallocate(file.Get(), FALLOC_FL_KEEP_SIZE, info.st_size, bytes) != 0) return SystemError::Last("fallocate");
  trace.Record("reserve", path, std::to_string(bytes));
  return {};
}

SystemError GiveBackRoom(const std::string& path) {
  SystemError error;
  FileDescriptor file = OpenRegular(path, O_WRONLY, error);
  if (!file.IsOpen()) return error;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return SystemError::Last("fstat");
  // Blocks set aside are counted in st_blocks (units of 512 bytes): nothing to give back when the file
  // has no more blocks than its data fills (room set aside in the data's last block stays with it).
  const std::int64_t block = info.st_blksize > 0 ? info.st_blksize : 4096;
  if (info.st_blocks * 512 <= (info.st_size + block - 1) / block * block) return {};
  // A cut to the length it has frees what lies beyond the end (a hole punched there would not, on ext4).
  CFileOperationTrace trace;
  if (::ftruncate(file.Get(), info.st_size) != 0) return SystemError::Last("ftruncate");
  trace.Record("giveback", path);
  return {};
}

SystemError CutFile(const std::string& path, std::int64_t length) {
  SystemError error;
  FileDescriptor file = OpenRegular(path, O_WRONLY, error);
  if (!file.IsOpen()) return error;
  CFileOperationTrace trace;
  if (::ftruncate(file.Get(), length) != 0) return SystemError::Last("ftruncate");
  trace.Record("cut", path, std::to_string(length));
  return {};
}

bool WriteAll(const FileDescriptor& file, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t put = ::write(file.Get(), bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

}  // namespace platform

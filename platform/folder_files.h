#pragma once
// Files in folders that other programs write into (the ticket folders). Anyone who may write there can
// plant a symbolic link, a FIFO or a device node under a name the driver is about to use. Nothing here
// follows a link at the last step of a path, and nothing opens a special file in a way that can block:
// a link or special file standing where the driver creates or appends to a file is removed, never
// written through.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/system_error.h"

namespace platform {

enum class EntryKind { RegularFile, Folder, SymbolicLink, Special };

struct FolderEntry {
  std::string m_Name;
  EntryKind m_Kind = EntryKind::RegularFile;
};

// The entries of a folder but "." and "..", in the system's order; nothing when it cannot be listed.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// What stands at the path (a link itself, not its target); nothing when nothing does.
std::optional<EntryKind> KindAt(const std::string& path);

// What tells one version of a file from another: a file left unchanged keeps its identity; writing,
// renaming over it, a change of its owner, mode or flags gives it another.
struct FileIdentity {
  std::uint64_t m_Device = 0;
  std::uint64_t m_Inode = 0;
  std::int64_t m_Size = 0;
  std::int64_t m_ModifiedNs = 0;
  std::int64_t m_ChangedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of what stands at the path (a link itself, not its target); nothing when nothing does.
std::optional<FileIdentity> IdentityOf(const std::string& path);
std::optional<FileIdentity> IdentityOf(const FileDescriptor& file);
bool Exists(const std::string& path);

// Nothing failed once the file is gone (also when it was not there).
SystemError RemoveFile(const std::string& path);
// Renames over whatever stands at the new name but a folder (a link there is replaced, not followed).
SystemError RenameFile(const std::string& from, const std::string& to);
// Renames unless a file already stands at the new name; a link or special file there is removed first.
SystemError RenameWithoutReplacing(const std::string& from, const std::string& to);

// Appends the bytes with one write to a regular file, creating it when missing. When they cannot be
// written whole, none of them is left in the file.
SystemError AppendToFile(const std::string& path, std::string_view bytes);
// Creates the file new and empty for writing; whatever stands at the path, but a folder, is removed
// first. No descriptor when it cannot be created.
FileDescriptor CreateNewFile(const std::string& path);
// Writes all the bytes; false on any failure (a full disk).
bool WriteAll(const FileDescriptor& file, std::string_view bytes);

// What a power cut keeps. Until a file's data is flushed, a cut may leave it shorter than written (even
// empty under a name that reached the disk); until a folder is flushed, a cut may undo its latest name
// changes, the later ones first. Each says what failed, if anything.
// Puts the file's data and length on the disk (fdatasync).
SystemError FlushFile(const std::string& path);
// Puts the names of the folder on the disk (fsync of the folder).
SystemError FlushFolder(const std::string& folder);
// Sets aside room for bytes more beyond the file's end without changing its length, so that writing
// them later cannot fail for a full disk (EOPNOTSUPP where the file system cannot).
SystemError ReserveRoom(const std::string& path, std::int64_t bytes);
// Cuts the file to the length.
SystemError CutFile(const std::string& path, std::int64_t length);
// Gives back the room set aside beyond the file's end.
SystemError GiveBackRoom(const std::string& path);


}  // namespace platform

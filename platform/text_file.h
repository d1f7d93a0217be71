#pragma once
// Whole-file reads and atomic whole-file replacement, for the small settings and memory files.

#include <optional>
#include <string>

namespace platform {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

enum class Durability {
  kCached,  // survives the end of the process; after a power cut, as recent as the system wrote it back
  kSynced,  // on the disk before the call returns (the file's data, then its name)
};

// Writes the bytes to a temporary file in the same folder and renames it over the path, so a reader
// sees the old file or the new one, never half of one, even after the writer was killed in between.
// False when the folder is missing or unwritable.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes,
                      Durability durability = Durability::kCached);

// Replaces a file that only its own writer reads back (ReadOwnFile), without what renaming over an
// existing file costs where the file system writes the new file out first (ext4: about a millisecond).
// The bytes go to "<path>.new", the old file is removed, and "<path>.new" takes its name; a writer that
// ends in between leaves the whole new file as "<path>.new", which the next call puts in place first.
bool ReplaceOwnFile(const std::string& path, const std::string& bytes, Durability durability);

// What ReplaceOwnFile wrote last: "<path>", or "<path>.new" when the writer ended before renaming it.
std::optional<std::string> ReadOwnFile(const std::string& path);

// Puts a file's data on the disk (fdatasync); false when it cannot be opened or synced.
bool SyncFileData(const std::string& path);

}  // namespace platform

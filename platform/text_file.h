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

// Puts a file's data on the disk (fdatasync); false when it cannot be opened or synced.
bool SyncFileData(const std::string& path);

}  // namespace platform

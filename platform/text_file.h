#pragma once
// Whole-file reads and atomic whole-file replacement, for the small settings and memory files, the
// tickets and the register status files.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/file_descriptor.h"

namespace platform {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

enum class ReadOutcome { Read, TooLarge, Failed };

// Reads an open file whole from its start into bytes. TooLarge, without reading it, when the file
// holds more than limit bytes (by its size, or by what it still gave when the limit was reached).
ReadOutcome ReadOpenFile(const FileDescriptor& file, std::size_t limit, std::string& bytes);

enum class Durability {
  kCached,  // survives the end of the process; after a power cut, as recent as the system wrote it back
  kSynced,  // on the disk before the call returns (the file's data, then its name)
};

// Writes the bytes to a new file of a private name in the same folder and renames it over the path, so
// a reader sees the old file or the new one, never half of one, even after the writer was killed in
// between. The private file is created exclusively and never through a link; a link at the path is
// replaced, not followed. False when the folder is missing or unwritable.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes,
                      Durability durability = Durability::kCached);

// Puts a file's data on the disk (fdatasync); false when it cannot be opened or synced.
bool SyncFileData(const std::string& path);

}  // namespace platform

#pragma once
// Whole-file reads and atomic whole-file replacement, for the small settings files.

#include <optional>
#include <string>

namespace platform {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes the bytes to a temporary file in the same folder and renames it over the path, so a reader
// sees the old file or the new one, never half of one. False when the folder is missing or unwritable.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes);

}  // namespace platform

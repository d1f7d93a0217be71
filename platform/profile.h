#pragma once
// Private-profile (ini) files with the rules of the Windows profile functions: names match ignoring case,
// blanks around keys and values are trimmed, the first section and the first key of a name win,
// a value in matching quotes loses them, and the file is read afresh on every call.
// Writes change only the one line concerned and replace the file atomically.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The value of key in section, else the default (nullptr counts as "") without its trailing blanks.
// At most size-1 bytes are returned; size 0 returns "".
std::string GetPrivateProfileString(std::string_view section, std::string_view key, const char* defaultValue,
                                    std::size_t size, const std::string& file);

// The value read as an optional sign and decimal digits, wrapping modulo 2^32; nDefault when empty or missing.
std::uint32_t GetPrivateProfileInt(std::string_view section, std::string_view key, int nDefault,
                                   const std::string& file);

// Sets key in section, creating the file, the section (at the end) and the key (last in its section).
// False when the file cannot be written, for example when its folder is missing.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& file);

// Reads key of section (as GetPrivateProfileString with the given size) and writes back what change
// makes of it, reading the file once; for counters kept in a profile file.
bool UpdatePrivateProfileString(std::string_view section, std::string_view key, const char* defaultValue,
                                std::size_t size, const std::string& file,
                                std::string (*change)(const std::string& current));

}  // namespace platform

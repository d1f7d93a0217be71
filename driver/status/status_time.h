#pragma once
// The times of the status: ISO 8601 local time with its offset, to the second
// ("2024-05-02T14:03:07+02:00"), so a reader in any zone knows the instant and a person the hour.

#include <chrono>
#include <optional>
#include <string>

namespace driver {

std::string StatusTime(std::chrono::system_clock::time_point when);

// The instant a status time names; nothing for an empty or malformed text.
std::optional<std::chrono::system_clock::time_point> StatusInstant(const std::string& text);

}  // namespace driver

#pragma once
// The "open with no sharing" test: does any other open file description hold the file?
// While a point-of-sale program is still writing a ticket, the test fails with error 32, the code the
// same test gives on Windows, so log lines stay comparable.
//
// How: a write lease (fcntl F_SETLEASE F_WRLCK) on a fresh descriptor is granted exactly when no other
// descriptor of the file is open, in this process or any other. Where leases are not possible (a
// foreign filesystem, a file of another owner without CAP_LEASE) the test falls back to looking for the
// file among the open descriptors of every process it may see under /proc.

#include <string>

namespace platform {

inline constexpr unsigned kErrorSuccess = 0;
inline constexpr unsigned kErrorFileNotFound = 2;
inline constexpr unsigned kErrorPathNotFound = 3;
inline constexpr unsigned kErrorAccessDenied = 5;
inline constexpr unsigned kErrorSharingViolation = 32;

// 0 when the file exists and nobody else has it open, else a Windows-style error number.
unsigned TryOpenExclusive(const std::string& path);

}  // namespace platform

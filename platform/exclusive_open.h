#pragma once
// The "open with no sharing" test: does any other open file description hold the file?
// While a point-of-sale program is still writing a ticket, the test fails with error 32, the code the
// same test gives on Windows, so log lines stay comparable.
//
// How: a write lease (fcntl F_SETLEASE F_WRLCK) on a fresh descriptor is granted exactly when no other
// descriptor of the file is open, in this process or any other. Where leases are not possible (a
// foreign filesystem, a file of another owner without CAP_LEASE) the test falls back to looking for the
// file among the open descriptors of every process it may see under /proc.
//
// The descriptor that passed the test is the one the ticket is read from: the ticket is never opened a
// second time by name, so it cannot be swapped for something else in between. The open never follows a
// symbolic link and never waits (O_NONBLOCK: a FIFO opens at once and is then refused as no regular
// file).

#include <string>

#include "platform/file_descriptor.h"

namespace platform {

inline constexpr unsigned kErrorSuccess = 0;
inline constexpr unsigned kErrorFileNotFound = 2;
inline constexpr unsigned kErrorPathNotFound = 3;
inline constexpr unsigned kErrorAccessDenied = 5;
inline constexpr unsigned kErrorSharingViolation = 32;
// A symbolic link, FIFO, socket or device: the code Windows gives for a file it cannot open as one.
inline constexpr unsigned kErrorCantAccessFile = 1920;

// 0, with the file open for reading in `file`, when the file exists and nobody else has it open; else a
// Windows-style error number and no descriptor. A folder gives kErrorAccessDenied.
unsigned OpenExclusive(const std::string& path, FileDescriptor& file);

}  // namespace platform

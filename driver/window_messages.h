#pragma once
// The messages the driver posts to its window thread. Posting one queues a call to the driver object
// on that thread; the names and numbers stay those of the window messages they stand for. WM_APP+3
// and +6 (exchange done, queue empty) are not posted: the job that awaits those commands sends them.

#include <cstdint>

namespace driver {

inline constexpr std::uint32_t kWmApp = 0x8000;

enum class WindowMessage : std::uint32_t {
  WM_CLOSE = 0x0010,
  WM_TRAYICON = kWmApp + 1,
  WM_HIDEMAIN = kWmApp + 2,
  WM_STATUSALERT = kWmApp + 4,   // wParam: register
  WM_TICKETFILE = kWmApp + 5,    // wParam: notification type; the folder path travels as a copy
  WM_JOBTHREADEND = kWmApp + 7,  // the job thread that ended
};

}  // namespace driver

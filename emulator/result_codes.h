#pragma once
// What the emulated control answers. Control statuses are returned by the methods themselves;
// job results travel in OutputCompleteEvent. All are above the driver's own reply codes (1-22),
// so a code passed on unchanged into a reply file tells where it came from.

#include <cstdint>

#include "control_api/fiscal_control.h"

namespace emulator {

// Method statuses.
inline constexpr std::int32_t kStatusOk = 0;
inline constexpr std::int32_t kStatusNotOpen = control_api::kStatusNotOpen;
inline constexpr std::int32_t kStatusUnknownRegister = control_api::kStatusUnknownRegister;
inline constexpr std::int32_t kStatusUnknownCommand = control_api::kStatusUnknownCommand;
inline constexpr std::int32_t kStatusUnknownRequest = 204;  // Request code not served
inline constexpr std::int32_t kStatusNoAnswer = control_api::kStatusNoAnswer;
inline constexpr std::int32_t kStatusAlreadyOpen = 206;

// Results of Write jobs (OutputCompleteEvent).
inline constexpr std::int32_t kResultOk = 0;
inline constexpr std::int32_t kResultNoTicketOpen = 101;
inline constexpr std::int32_t kResultTicketAlreadyOpen = 102;
inline constexpr std::int32_t kResultNotInSalesState = 103;
inline constexpr std::int32_t kResultBadValue = 104;
inline constexpr std::int32_t kResultNotProgrammed = 105;  // department or PLU unknown to the register
inline constexpr std::int32_t kResultUnknownElement = 106;
inline constexpr std::int32_t kResultPaymentShort = 107;
inline constexpr std::int32_t kResultOutsideLimits = 108;  // sale outside the department's LALO/HALO
inline constexpr std::int32_t kResultNothingToCopy = 109;
inline constexpr std::int32_t kResultUnknownTable = 110;

// Results of IODirect commands and of requests that end with a DirectIOEvent.
inline constexpr std::int32_t kResultCommandRefused = control_api::kResultCommandRefused;
inline constexpr std::int32_t kResultNotSaved = control_api::kResultNotSaved;

}  // namespace emulator

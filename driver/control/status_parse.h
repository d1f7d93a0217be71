#pragma once
// Turns a register's last status text (m_StatusText) into its status flags.

#include "driver/control/ecr_context.h"

namespace driver {

enum class StatusFollowUp { kNone, kStatusAlert };

// Parses ctx.m_StatusText in the fixed order of the status items and wakes waiting jobs.
// kStatusAlert: a zero-family register reported a status code while a header transfer is pending,
// and the caller must post WM_STATUSALERT for it.
StatusFollowUp ParseEcrStatus(CEcrContext& ctx);

// A longer <HELLO> value is cut to this many characters.
inline constexpr std::size_t kHelloMaxLength = 199;

}  // namespace driver

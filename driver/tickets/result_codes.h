#pragma once
// Result codes of a ticket's reply and of a job's warning lines (the README's table of reply codes).
// Any other nonzero value is a control method's own result, passed on unchanged.

#include <cstdint>

namespace driver {

inline constexpr std::int32_t kCodeSuccess = 0;
inline constexpr std::int32_t kCodeNegativeType = 1;
inline constexpr std::int32_t kCodeFailure = 3;
inline constexpr std::int32_t kCodeOffersUnsupported = 4;
inline constexpr std::int32_t kCodeRegisterUnknown = 7;     // the folder's register is not configured
inline constexpr std::int32_t kCodeServiceSuspended = 11;  // the administration sheet is open
inline constexpr std::int32_t kCodeNoHeaderProgramming = 12;
inline constexpr std::int32_t kCodeNoStatus = 13;  // also: no hello code for the header
inline constexpr std::int32_t kCodeNoProgramming = 14;
inline constexpr std::int32_t kCodeTicketOpen = 15;
inline constexpr std::int32_t kCodePaperOut = 16;
inline constexpr std::int32_t kCodeKeyboard = 17;
inline constexpr std::int32_t kCodeNotOperating = 18;
inline constexpr std::int32_t kCodeGenericError = 19;
inline constexpr std::int32_t kCodeTicketVoided = 21;
inline constexpr std::int32_t kCodeTicketRejected = 22;  // the ticket could not be translated

// Not a reply code: the register's context was cancelled at shutdown and the job leaves without
// writing anything more. Nonzero, so every step stops on it.
inline constexpr std::int32_t kCodeShutdown = 9876;

}  // namespace driver

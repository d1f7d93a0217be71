#pragma once
// Turns a register's status text into its status.

#include <cstdint>
#include <string>

namespace driver {

// A register's status, as its last status text told it.
struct CEcrStatus {
  std::string m_StatusText;  // the last status text, as it came
  std::string m_Hello;       // up to 199 characters
  std::int32_t m_TicketOpen = 0;
  std::int32_t m_GenericError = 0;
  std::string m_Operating;
  std::int32_t m_PaperOut = 0;
  std::int32_t m_Remote = 0;
  std::int32_t m_KeyLocked = 0;
  std::string m_HelloCode;    // characters 30-37 of the hello text; empty until received
  std::string m_HelloSuffix;  // characters 41-42 of the hello text

  bool NotOperating() const { return m_Operating == "0"; }
  // No paper out, no generic error, operating.
  bool InOrder() const { return m_PaperOut == 0 && m_GenericError == 0 && !NotOperating(); }
  char HelloCharacter(std::size_t index) const { return index < m_Hello.size() ? m_Hello[index] : '\0'; }
};

enum class StatusFollowUp { kNone, kStatusAlert };

// Reads status.m_StatusText into the status, in the fixed order of the status items; an empty text
// changes nothing. kStatusAlert: a zero-family register reported a status code while a header transfer
// is pending, and the caller must post WM_STATUSALERT for it.
StatusFollowUp ParseEcrStatus(std::int32_t ecrType, bool exchangePending, CEcrStatus& status);

// Types 1 and 2 speak the "0;" command family, 0 and 3 the "*" family.
inline bool IsZeroFamily(std::int32_t ecrType) { return ecrType == 1 || ecrType == 2; }

// A longer <HELLO> value is cut to this many characters.
inline constexpr std::size_t kHelloMaxLength = 199;

}  // namespace driver

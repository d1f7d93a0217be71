#pragma once
// What the driver tells about itself and each register, as plain values: taken on the window thread,
// then written as status.json, as the metrics file and as the service manager's status line. Times are
// ISO 8601 local times with their offset ("2024-05-02T14:03:07+02:00"); an empty time is unknown.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace driver {

enum class RegisterState { kReady, kRunning, kPaperOut, kCoverOpen, kError, kNoAnswer, kHeldBySheet, kStopping };

inline constexpr RegisterState kRegisterStates[] = {
    RegisterState::kReady,   RegisterState::kRunning,  RegisterState::kPaperOut,    RegisterState::kCoverOpen,
    RegisterState::kError,   RegisterState::kNoAnswer, RegisterState::kHeldBySheet, RegisterState::kStopping};

// The stable name in status.json and the metrics ("paper-out"), and back.
std::string_view RegisterStateName(RegisterState state);
std::optional<RegisterState> RegisterStateNamed(std::string_view name);
// The state in words for a person ("paper out").
std::string_view RegisterStateWords(RegisterState state);
// Only a person can end these: paper, the cover, the register's error, its cable or power.
bool NeedsPerson(RegisterState state);

struct CLastReply {
  std::string m_Ticket;  // the ticket's file name
  int m_Code = 0;
  std::string m_At;
  bool operator==(const CLastReply&) const = default;
};

struct CTrouble {
  std::string m_At;
  std::string m_Text;
  bool operator==(const CTrouble&) const = default;
};

struct CRegisterStatus {
  int m_Number = 0;
  int m_Type = 0;
  RegisterState m_State = RegisterState::kReady;
  std::string m_Ticket;       // file name of the ticket under way; empty when none
  std::string m_TicketSince;  // when its job began on the register
  int m_TicketsWaiting = 0;   // taken tickets whose jobs wait for the register
  std::optional<CLastReply> m_LastReply;
  std::map<int, int> m_RepliesToday;  // reply code -> tickets answered with it since local midnight
  std::optional<CTrouble> m_Trouble;  // the last trouble the register reported
  bool operator==(const CRegisterStatus&) const = default;
};

struct CDriverStatus {
  std::string m_Version;
  long m_ProcessId = 0;
  std::string m_StartedAt;
  std::string m_TicketRoot;
  bool m_Durable = true;
  std::vector<CRegisterStatus> m_Registers;
  bool operator==(const CDriverStatus&) const = default;
};

// The tickets a register answered today, whatever their codes.
long TicketsToday(const CRegisterStatus& status);

}  // namespace driver

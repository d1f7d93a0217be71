#include "driver/status/status_snapshot.h"

namespace driver {
namespace {

struct CStateText {
  RegisterState m_State;
  std::string_view m_Name;
  std::string_view m_Words;
};

constexpr CStateText kStateTexts[] = {
    {RegisterState::kReady, "ready", "ready"},
    {RegisterState::kRunning, "running", "running"},
    {RegisterState::kPaperOut, "paper-out", "paper out"},
    {RegisterState::kCoverOpen, "cover-open", "cover open"},
    {RegisterState::kError, "error", "error"},
    {RegisterState::kNoAnswer, "no-answer", "no answer"},
    {RegisterState::kHeldBySheet, "held-by-sheet", "held by the sheet"},
    {RegisterState::kStopping, "stopping", "stopping"},
};

const CStateText& TextOf(RegisterState state) {
  for (const CStateText& text : kStateTexts)
    if (text.m_State == state) return text;
  return kStateTexts[0];
}

}  // namespace

std::string_view RegisterStateName(RegisterState state) { return TextOf(state).m_Name; }

std::string_view RegisterStateWords(RegisterState state) { return TextOf(state).m_Words; }

std::optional<RegisterState> RegisterStateNamed(std::string_view name) {
  for (const CStateText& text : kStateTexts)
    if (text.m_Name == name) return text.m_State;
  return std::nullopt;
}

bool NeedsPerson(RegisterState state) {
  return state == RegisterState::kPaperOut || state == RegisterState::kCoverOpen || state == RegisterState::kError ||
         state == RegisterState::kNoAnswer;
}

long TicketsToday(const CRegisterStatus& status) {
  long count = 0;
  for (const auto& [code, tickets] : status.m_RepliesToday) count += tickets;
  return count;
}

}  // namespace driver

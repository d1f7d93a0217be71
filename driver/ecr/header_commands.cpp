#include "driver/ecr/command_strings.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/result_codes.h"

// The ticket header. Zero-family registers fetch the six lines through the data exchange that the
// control's events answer, while the exchange command runs; the job then has them taken. Star-family registers take them one command per line in header
// programming, which the register confirms by showing "C" as the second hello character, and which
// needs the register's hello code to be closed.

namespace driver {
namespace {
constexpr int kSheetStatusMessage = 11;  // "the register did not enter programming"
}  // namespace

std::int32_t CQorThread::SetHeader() {
  if (!IsZeroFamily()) return StarHeader();
  // The row is reset before the command, so the register's first question is answered with row 1.
  m_current->m_ExchangeAnswers.Set(m_Inputs.m_AnswerA, m_Inputs.m_AnswerB);
  m_current->m_ExchangeRow = 1;
  std::int32_t code = Exchange(kZeroHeaderExchange, m_current->m_ExchangePending, kExchangeDoneCommand);
  m_current->m_ExchangeStatus = code;
  return code;
}

std::int32_t CQorThread::StarHeader() {
  CEcrContext& ecr = *m_current;
  ecr.m_ExchangePending = 0;
  m_SavedKey = HelloCharacter(0);
  if (HelloCharacter(3) != '.') return kCodeNoProgramming;
  auto helloCodeKnown = [&] {
    std::string code = ecr.m_HelloCode.Get();
    return !code.empty() && code[0] != '\0';
  };
  if (!helloCodeKnown()) {
    SendIODirect(kStarHelloCodeQuery);
    if (!WaitFor(helloCodeKnown, ecr.m_Limits.m_Exchange)) {
      if (Cancelled()) return kCodeShutdown;
      SendIODirect(kStarClearDisplay);
      SendIODirect(kStarClearDisplay);
      SendIODirect(kStarUnlock);
      KeySwitch(m_SavedKey);
      return kCodeNoStatus;
    }
  }
  BloccaTastiera();
  KeySwitch('P');
  DriverAwait(kStarHeaderStart);
  if (!WaitFor([&] { return HelloCharacter(1) == 'C'; }, ecr.m_Limits.m_Exchange)) {
    if (Cancelled()) return kCodeShutdown;
    // Only a job of the administration sheet has no reply file; its person reads the status line.
    if (m_ReplyWorkPath.empty() && m_pDriver.IsSheetOpen()) {
      m_pDriver.ShowSheetStatus(m_pDriver.MessageText(kSheetStatusMessage));
    }
    SendIODirect(kStarClearDisplay);
    SendIODirect(kStarClearDisplay);
    KeySwitch(m_SavedKey);
    SbloccaTastiera();
    return kCodeNoHeaderProgramming;
  }
  return StarHeaderTransfer();
}

std::int32_t CQorThread::StarHeaderTransfer() {
  CEcrContext& ecr = *m_current;
  SendIODirect(kStarClearDisplay);
  SendIODirect(kStarClearDisplay);
  for (int line = 1; line <= 6; ++line) {
    const std::string& text = line <= 3 ? m_Inputs.m_AnswerA[line - 1] : m_Inputs.m_AnswerB[line - 4];
    DriverAwait(StarHeaderLineCommand(line, text));
  }
  DriverAwait(kStarHeaderEnd);
  if (WaitFor([&] { return HelloCharacter(1) == 'C'; }, ecr.m_Limits.m_Exchange)) {
    SendIODirect(StarHelloCodeCommand(ecr.m_HelloCode.Get()));
  } else {
    SendIODirect(kStarClearDisplay);
    SendIODirect(kStarClearDisplay);
  }
  if (Cancelled()) return kCodeShutdown;
  SbloccaTastiera();
  return KeySwitch(m_SavedKey);
}

}  // namespace driver

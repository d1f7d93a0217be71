#include "driver/ecr/command_strings.h"
#include "driver/ecr/register_commands.h"
#include "driver/tickets/result_codes.h"

// The ticket header. Zero-family registers fetch the six lines through the data exchange that the
// control's events answer, while the exchange command runs; the job then has them taken. Star-family
// registers take them one command per line in header programming, which the register confirms by showing "C" as the second hello character, and which
// needs the register's hello code to be closed.

namespace driver {
namespace {
constexpr int kSheetStatusMessage = 11;  // "the register did not enter programming"
}  // namespace

std::int32_t CRegisterCommands::SetHeader(const CHeaderJob& header) {
  if (!m_Session.IsZeroFamily()) return StarHeader(header);
  // The row is reset before the command, so the register's first question is answered with row 1.
  m_Ecr.m_ExchangeAnswers.Set(header.m_AnswerA, header.m_AnswerB);
  m_Ecr.m_ExchangeRow = 1;
  std::int32_t code = Exchange(kZeroHeaderExchange, m_Ecr.m_ExchangePending, kExchangeDoneCommand);
  m_Ecr.m_ExchangeStatus = code;
  return code;
}

std::int32_t CRegisterCommands::StarHeader(const CHeaderJob& header) {
  CEcrContext& ecr = m_Ecr;
  ecr.m_ExchangePending = 0;
  m_SavedKey = m_Session.HelloCharacter(0);
  if (m_Session.HelloCharacter(3) != '.') return kCodeNoProgramming;
  auto helloCodeKnown = [&] {
    std::string code = ecr.m_HelloCode.Get();
    return !code.empty() && code[0] != '\0';
  };
  if (!helloCodeKnown()) {
    m_Session.SendIODirect(kStarHelloCodeQuery);
    if (!m_Session.WaitFor(helloCodeKnown, ecr.m_Limits.m_Exchange)) {
      if (m_Session.Cancelled()) return kCodeShutdown;
      m_Session.SendIODirect(kStarClearDisplay);
      m_Session.SendIODirect(kStarClearDisplay);
      m_Session.SendIODirect(kStarUnlock);
      KeySwitch(m_SavedKey);
      return kCodeNoStatus;
    }
  }
  m_Session.BloccaTastiera();
  KeySwitch('P');
  m_Session.DriverAwait(kStarHeaderStart);
  if (!m_Session.WaitFor([&] { return m_Session.HelloCharacter(1) == 'C'; }, ecr.m_Limits.m_Exchange)) {
    if (m_Session.Cancelled()) return kCodeShutdown;
    // Only a job of the administration sheet has no reply file; its person reads the status line.
    IJobHost& host = m_Session.Host();
    if (!m_Session.AnswersTicket() && host.IsSheetOpen()) host.ShowSheetStatus(host.MessageText(kSheetStatusMessage));
    m_Session.SendIODirect(kStarClearDisplay);
    m_Session.SendIODirect(kStarClearDisplay);
    KeySwitch(m_SavedKey);
    m_Session.SbloccaTastiera();
    return kCodeNoHeaderProgramming;
  }
  return StarHeaderTransfer(header);
}

std::int32_t CRegisterCommands::StarHeaderTransfer(const CHeaderJob& header) {
  CEcrContext& ecr = m_Ecr;
  m_Session.SendIODirect(kStarClearDisplay);
  m_Session.SendIODirect(kStarClearDisplay);
  for (int line = 1; line <= 6; ++line) {
    const std::string& text = line <= 3 ? header.m_AnswerA[line - 1] : header.m_AnswerB[line - 4];
    m_Session.DriverAwait(StarHeaderLineCommand(line, text));
  }
  m_Session.DriverAwait(kStarHeaderEnd);
  if (m_Session.WaitFor([&] { return m_Session.HelloCharacter(1) == 'C'; }, ecr.m_Limits.m_Exchange)) {
    m_Session.SendIODirect(StarHelloCodeCommand(ecr.m_HelloCode.Get()));
  } else {
    m_Session.SendIODirect(kStarClearDisplay);
    m_Session.SendIODirect(kStarClearDisplay);
  }
  if (m_Session.Cancelled()) return kCodeShutdown;
  m_Session.SbloccaTastiera();
  return KeySwitch(m_SavedKey);
}

}  // namespace driver

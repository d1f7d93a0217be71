#include <array>
#include <string>

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
  // The register fetches lines 1-3, then lines 4-6, then the end mark.
  const auto join = [](char part, const std::array<std::string, 3>& lines) {
    return std::string(1, part) + ":" + lines[0] + ":" + lines[1] + ":" + lines[2];
  };
  return Exchange(kZeroHeaderExchange, DataQuestion::kHeader,
                  {join('A', header.m_AnswerA), join('B', header.m_AnswerB)}, kExchangeDoneCommand);
}

std::int32_t CRegisterCommands::StarHeader(const CHeaderJob& header) {
  m_Session.Events().Disarm(DataQuestion::kHeader);
  m_SavedKey = m_Session.HelloCharacter(0);
  if (m_Session.HelloCharacter(3) != '.') return kCodeNoProgramming;
  auto helloCodeKnown = [&] {
    std::string code = m_Session.Status().m_HelloCode;
    return !code.empty() && code[0] != '\0';
  };
  if (!helloCodeKnown()) {
    m_Session.SendIODirect(kStarHelloCodeQuery);
    if (!m_Session.WaitFor(helloCodeKnown, m_Session.Limits().m_Exchange)) {
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
  if (!m_Session.WaitFor([&] { return m_Session.HelloCharacter(1) == 'C'; }, m_Session.Limits().m_Exchange)) {
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
  m_Session.SendIODirect(kStarClearDisplay);
  m_Session.SendIODirect(kStarClearDisplay);
  for (int line = 1; line <= 6; ++line) {
    const std::string& text = line <= 3 ? header.m_AnswerA[line - 1] : header.m_AnswerB[line - 4];
    m_Session.DriverAwait(StarHeaderLineCommand(line, text));
  }
  m_Session.DriverAwait(kStarHeaderEnd);
  if (m_Session.WaitFor([&] { return m_Session.HelloCharacter(1) == 'C'; }, m_Session.Limits().m_Exchange)) {
    m_Session.SendIODirect(StarHelloCodeCommand(m_Session.Status().m_HelloCode));
  } else {
    m_Session.SendIODirect(kStarClearDisplay);
    m_Session.SendIODirect(kStarClearDisplay);
  }
  if (m_Session.Cancelled()) return kCodeShutdown;
  m_Session.SbloccaTastiera();
  return KeySwitch(m_SavedKey);
}

}  // namespace driver

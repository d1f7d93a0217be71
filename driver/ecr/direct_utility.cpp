#include "driver/ecr/direct_utility.h"

#include <chrono>

#include "driver/ecr/command_strings.h"
#include "driver/tickets/result_codes.h"

namespace driver {
namespace {

constexpr const char* kStarClearError = "*SZ";
constexpr const char* kZeroClearError = "0;#S3:3";

ControlStatus Send(CRegisterSession& session, const CDirectUtilityJob& utility) {
  CEcrContext& ecr = session.Register();
  IJobHost& host = session.Host();
  const bool star = !ecr.IsZeroFamily();
  switch (utility.m_Utility) {
    case DirectUtility::UnlockKeyboard:
      return star ? host.WaitIODirect(ecr, kStarUnlock, 0) : session.SendIODirect(kZeroUnlock);
    case DirectUtility::ClearError: {
      if (!star) return session.SendIODirect(kZeroClearError);
      const ControlStatus first = host.WaitIODirect(ecr, kStarClearError, 0);
      const ControlStatus second = host.WaitIODirect(ecr, kStarClearError, 0);
      return first != kCodeSuccess ? first : second;
    }
    case DirectUtility::Command:
      return session.SendIODirect(utility.m_Command);
  }
  return kCodeFailure;
}

}  // namespace

// The register's own answer is what the sheet shows: the text it completed the command with.
void SendDirectUtility(CRegisterSession& session, const CDirectUtilityJob& utility, CSheetJobOutcome& outcome) {
  CEventMailbox& events = session.Events();
  // Expected before anything is sent, so only this command's completion counts.
  events.ExpectIoDirect();
  outcome.m_Code = Send(session, utility);
  if (outcome.m_Code != kCodeSuccess) return;
  const bool completed = session.WaitFor([&] { return events.IoDirectDone(); }, session.Limits().m_Exchange);
  if (completed) {
    outcome.m_Answer = events.IoDirectAnswer();
  } else {
    outcome.m_Code = kCodeFailure;
  }
}

}  // namespace driver

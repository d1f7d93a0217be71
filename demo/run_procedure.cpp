#include "demo/run_procedure.h"

#include "demo/till_job_it_command.h"

namespace demo {

std::optional<std::string> PrepareRun(const RunFields& fields, CRunCounter& counter, IMessageSink& messages) {
  RunRefusal refusal = CheckRunFields(fields);
  if (refusal != RunRefusal::None) {
    messages.Warn(RefusalMessage(refusal));
    return std::nullopt;
  }
  // The overflow is the run-time error the form traps: its description is shown and nothing starts.
  if (counter.Increment() != 0) {
    messages.Warn(CRunCounter::kOverflowDescription);
    return std::nullopt;
  }
  return TillJobItArgument(fields);
}

}  // namespace demo

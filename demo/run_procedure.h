#pragma once
// The part of "GO!" that decides: the checks in the form's order, then the count. The form itself
// disables "GO!", starts TillJobIt with the argument returned here, enables "GO!" again and re-arms
// its timer.

#include <optional>
#include <string>

#include "demo/message_sink.h"
#include "demo/run_counter.h"
#include "demo/run_fields.h"

namespace demo {

// The TillJobIt argument of a run that passed every check and was counted; nothing when a check failed
// or the counter overflowed, after the message has gone to the sink. The counter is raised only when
// the argument is returned.
std::optional<std::string> PrepareRun(const RunFields& fields, CRunCounter& counter, IMessageSink& messages);

}  // namespace demo

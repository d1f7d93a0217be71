#pragma once
// Test-only fault points, for the tests that end the driver at an exact point of a ticket's life.
// QOR_FAULT_POINT="<name>:<n>" makes the process end at the n-th time (counted from 1) it passes the
// point of that name: killed at once, with no clean-up of any kind (SIGKILL), or, with
// QOR_FAULT_SIGNAL=TERM, asked for its ordinary shutdown (SIGTERM) and going on, or, with
// QOR_FAULT_SIGNAL=HANG, the thread that reached it hangs there for good. Without the variable,
// as always outside tests, a point costs one comparison.

namespace platform {

void FaultPoint(const char* name);

}  // namespace platform

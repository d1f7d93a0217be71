#pragma once
// A stand-in TillJobIt for the demo tests: a small script placed first on PATH that records the
// argument count and its first argument of every start into a file of its own, so a test sees exactly
// the argv that TillDemo handed over.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "testsupport/temp_folder.h"

class QWidget;

namespace demo::testing {

struct RecordedStart {
  int m_ArgumentCount = 0;
  std::string m_Argument;  // argv[1]
};

class FakeTillJobIt {
 public:
  // Writes the script into folder/bin and puts that folder first on PATH for the object's life.
  explicit FakeTillJobIt(const std::string& folder);

  // The starts recorded so far, in no particular order.
  std::vector<RecordedStart> Starts() const;
  // Waits (up to 10 s) until at least count starts are recorded; the starts then recorded.
  std::vector<RecordedStart> WaitForStarts(size_t count) const;

 private:
  std::string m_RecordFolder;
  std::unique_ptr<testsupport::ScopedEnvironment> m_Path;
  std::unique_ptr<testsupport::ScopedEnvironment> m_Chosen;
};

// Processes events until the condition holds or the limit (10 s by default) has passed.
bool WaitUntil(const std::function<bool()>& condition, int limitMilliseconds = 10000);

// Calls act with the next modal window once it is shown (checked from the event loop, up to 10 s).
void WhenModalShown(const std::function<void(QWidget*)>& act);

}  // namespace demo::testing

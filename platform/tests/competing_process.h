#pragma once
// A real running program under a chosen executable name, for the tests that end competing programs:
// a copy of sleep(1) saved under that name in a test folder and started as a child.

#include <sys/types.h>

#include <string>

namespace platformtest {

enum class TermHandling { EndsOnTerm, IgnoresTerm };

// Tests that start programs named "QorServer.exe", or a driver that ends them, would end each other's
// processes when two test runs share the machine (two build folders, two people). Each such test
// program holds this machine-wide lock (a lock file in the temporary folder) while it runs.
class CompetingProgramsLock {
 public:
  CompetingProgramsLock();
  ~CompetingProgramsLock();
  CompetingProgramsLock(const CompetingProgramsLock&) = delete;
  CompetingProgramsLock& operator=(const CompetingProgramsLock&) = delete;

 private:
  int m_File = -1;
};

class CompetingProcess {
 public:
  // Copies /bin/sleep to folder/executableName and starts it with argv[0] = argumentZero (the
  // executable's name when empty). Waits (bounded) until the child runs the copy. uid >= 0 runs it
  // as that user.
  CompetingProcess(const std::string& folder, const std::string& executableName, TermHandling handling,
                   const std::string& argumentZero = "", int uid = -1);
  ~CompetingProcess();
  CompetingProcess(const CompetingProcess&) = delete;
  CompetingProcess& operator=(const CompetingProcess&) = delete;

  pid_t Pid() const { return m_Pid; }
  bool Started() const { return m_Started; }
  // Reaps the child, waiting at most a few seconds; the signal that ended it, 0 after a normal
  // exit, -1 when it is still running.
  int WaitForEndSignal();
  // True while the process exists and is not a zombie.
  bool IsRunning() const;

 private:
  pid_t m_Pid = -1;
  bool m_Started = false;
  bool m_Reaped = false;
};

}  // namespace platformtest

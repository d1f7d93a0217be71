#pragma once
// Runs a program to its end, as a user would from a shell, and keeps what it printed.

#include <string>
#include <vector>

namespace tools::testing {

struct ChildResult {
  int m_ExitCode = -1;
  std::string m_Out;
  std::string m_Err;
};

// Runs program with the arguments in the folder (the current one when empty); the environment is the
// test's own.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& folder = "");

}  // namespace tools::testing

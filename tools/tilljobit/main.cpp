// TillJobIt: submits one ticket to a register through the driver's ticket folder and answers with
// the ticket's result code. See till_job_it.h for the exit codes and README.md for its use.

#include <iostream>

#include "tools/tilljobit/options.h"
#include "tools/tilljobit/till_job_it.h"

int main(int argc, char* argv[]) {
  tools::TillJobItOptions options;
  std::string reason;
  if (tools::ParseOptions(argc, argv, options, reason) != 0) {
    std::cerr << "TillJobIt: " << reason << "\n" << tools::kUsage;
    return tools::kExitNotSubmitted;
  }
  if (options.m_Help) {
    std::cout << tools::kUsage;
    return 0;
  }
  return tools::RunTillJobIt(options, std::cout, std::cerr);
}

#pragma once
// Starts TillJobIt as a detached process: the program found by FindTillJobIt, the argument as its only
// argv entry, no shell in between, not waited for.

#include "demo/till_job_it_command.h"

namespace demo {

class CDetachedStarter final : public ITillJobItStarter {
 public:
  int Start(const std::string& argument) override;
};

}  // namespace demo

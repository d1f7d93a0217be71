#pragma once
// Where TillDemo's messages go. The program shows each in a warning message box with an OK button and
// the program's title; tests read them instead.

#include <string>

namespace demo {

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void Warn(const std::string& text) = 0;
};

}  // namespace demo

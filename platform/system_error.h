#pragma once
// SystemError: a failed system call as its caller reports it: the call's name and the system's error
// number. One made by default means the call succeeded.

#include <string>

namespace platform {

class SystemError {
 public:
  SystemError() = default;
  SystemError(const char* call, int number) : m_Call(call), m_Number(number) {}
  // The call just failed and errno says why (EIO when it says nothing).
  static SystemError Last(const char* call);

  bool Failed() const { return m_Number != 0; }
  const char* Call() const { return m_Call; }
  int Number() const { return m_Number; }
  // "No space left on device (rename)"; "" when nothing failed.
  std::string Text() const;

 private:
  const char* m_Call = "";
  int m_Number = 0;
};

}  // namespace platform

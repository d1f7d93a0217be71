#pragma once
// RunCount: the runs started since start or the last "RESET". It is a 16-bit signed counter, as on
// the form it comes from: the run after 32767 is an overflow, which leaves the counter as it was.

#include <cstdint>
#include <string>

namespace demo {

class CRunCounter {
 public:
  // The runtime's error number for an arithmetic overflow, and its description.
  static constexpr int kOverflow = 6;
  static constexpr const char* kOverflowDescription = "Overflow";

  explicit CRunCounter(std::int16_t value = 0) : m_Value(value) {}

  // 0, or kOverflow when the counter already stands at 32767 (the counter is then unchanged).
  int Increment();
  void Reset() { m_Value = 0; }
  std::int16_t Value() const { return m_Value; }
  // The counter as five digits with leading zeros, as Label6 shows it ("00001").
  std::string Display() const;

 private:
  std::int16_t m_Value;
};

}  // namespace demo

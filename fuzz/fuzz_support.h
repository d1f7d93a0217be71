#pragma once
// What every parser fuzzer shares: a check that stops the run with a readable reason (libFuzzer then
// saves the input as a crash), a scratch folder for the targets that must go through real files, and
// a reader that takes the choices of a run (section, key, row...) from the front of the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// Aborts with "invariant broken: <what>" and the offending detail when the condition fails.
void Expect(bool condition, const char* what, std::string_view detail = {});

// Silences the driver's debug log on standard error unless the caller asked for it (QOR_DEBUG_LOG set).
void QuietDebugLog();

// A folder of its own for this fuzzing process, made on first use and removed when the process ends.
const std::string& ScratchFolder();

// Writes the bytes to the file, replacing it; aborts when the scratch folder cannot be written.
void WriteBytes(const std::string& path, std::string_view bytes);
// The bytes of a file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);

// Takes choices from the front of the input; once the input is used up every choice is 0.
class CInputReader {
 public:
  CInputReader(const std::uint8_t* data, std::size_t size)
      : m_Rest(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t TakeByte();
  // Up to count bytes (fewer at the end of the input).
  std::string_view TakeBytes(std::size_t count);
  std::string_view Rest() const { return m_Rest; }

 private:
  std::string_view m_Rest;
};

}  // namespace fuzz

// Profile files: reads and writes through the profile functions on a file whose bytes are the input.
// The first bytes pick the section, the key, the buffer size and the value to write; the rest is the
// file. After a write of a plain section and key, reading them gives the written value as a profile
// value reads (blanks trimmed, one pair of matching quotes removed), and no other key changes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/profile.h"

namespace {

// Names as the driver uses them, plus the shapes that test the name rules (blanks, case, brackets).
constexpr std::array<std::string_view, 8> kSections = {
    "Settings", "settings", "TICKETS", "QorDriver", " Settings ", "", "[x]", "a=b"};
constexpr std::array<std::string_view, 8> kKeys = {
    "TicketFolder", "ticketfolder", "Found", "DescriptionCheck", " Found ", "", "k=v", ";x"};
constexpr std::array<std::size_t, 4> kSizes = {0, 1, 9, 4096};

bool IsPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool IsProfileBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x1A;
}

// What a read gives back for a written value: blanks gone at both ends, then matching quotes.
std::string ValueAsRead(std::string_view value) {
  while (!value.empty() && IsProfileBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsProfileBlank(value.back())) value.remove_suffix(1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void CheckReads(std::string_view section, std::string_view key, std::size_t size, const std::string& file) {
  const std::string value = platform::GetPrivateProfileString(section, key, "default  ", size, file);
  fuzz::Expect(size == 0 ? value.empty() : value.size() <= size - 1, "a read fits its buffer", value);
  platform::GetPrivateProfileInt(section, key, -7, file);
}

void CheckWrite(std::string_view section, std::string_view key, std::string_view value, const std::string& file) {
  // Another key of the same section, and the same key of another section, must not change.
  const std::string_view otherKey = EqualIgnoringCase(key, "Found") ? "TicketFolder" : "Found";
  const std::string_view otherSection = EqualIgnoringCase(section, "TICKETS") ? "Settings" : "TICKETS";
  const std::string otherBefore = platform::GetPrivateProfileString(section, otherKey, "-", 4096, file);
  const std::string elsewhereBefore = platform::GetPrivateProfileString(otherSection, key, "-", 4096, file);

  fuzz::Expect(platform::WritePrivateProfileString(section, key, value, file), "a write to the scratch file works");
  const std::string expected = ValueAsRead(value);
  fuzz::Expect(platform::GetPrivateProfileString(section, key, "-", 4096, file) == expected,
               "a written value reads back", expected);
  if (!expected.empty() && expected.size() <= 9 && expected.find_first_not_of("0123456789") == std::string::npos)
    fuzz::Expect(platform::GetPrivateProfileInt(section, key, -1, file) == std::stoul(expected),
                 "a written number reads back as that number", expected);
  fuzz::Expect(platform::GetPrivateProfileString(section, otherKey, "-", 4096, file) == otherBefore,
               "a write leaves the other keys of its section alone", otherBefore);
  fuzz::Expect(platform::GetPrivateProfileString(otherSection, key, "-", 4096, file) == elsewhereBefore,
               "a write leaves the same key of other sections alone", elsewhereBefore);
}

std::string AppendOne(const std::string& current) { return current + "1"; }

// The counter update of "Totals.txt": read with room for 8 characters, changed, written back.
void CheckUpdate(std::string_view section, std::string_view key, const std::string& file) {
  const std::string before = platform::GetPrivateProfileString(section, key, "0", 9, file);
  fuzz::Expect(platform::UpdatePrivateProfileString(section, key, "0", 9, file, AppendOne),
               "an update of the scratch file works");
  // The value read may still start with a blank that quotes kept ("' x'" reads " x"); written bare,
  // that blank is trimmed like any other.
  fuzz::Expect(platform::GetPrivateProfileString(section, key, "-", 4096, file) == ValueAsRead(before + "1"),
               "an update writes what the change made of the value read", before);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietDebugLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = fuzz::ScratchFolder() + "/profile.ini";
  fuzz::CInputReader input(data, size);
  const std::uint8_t choice = input.TakeByte();
  const std::string_view section = kSections[choice % kSections.size()];
  const std::string_view key = kKeys[(choice / kSections.size()) % kKeys.size()];
  const std::size_t bufferSize = kSizes[(choice / 64) % kSizes.size()];
  const std::string_view value = input.TakeBytes(input.TakeByte() % 48);
  fuzz::WriteBytes(file, input.Rest());

  CheckReads(section, key, bufferSize, file);
  // Only a value without line ends can be one line of the file.
  const bool plainValue = value.find_first_of("\r\n") == std::string_view::npos;
  if (IsPlainName(section) && IsPlainName(key) && plainValue) {
    CheckWrite(section, key, value, file);
    CheckUpdate(section, key, file);
  } else {
    platform::WritePrivateProfileString(section, key, value, file);
  }
  CheckReads(section, key, bufferSize, file);
  return 0;
}

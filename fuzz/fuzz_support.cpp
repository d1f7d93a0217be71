#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz {

void Expect(bool condition, const char* what, std::string_view detail) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  if (!detail.empty()) {
    // Written whole: a detail may hold line ends and zero bytes.
    std::fputs("  detail: [", stderr);
    std::fwrite(detail.data(), 1, detail.size(), stderr);
    std::fputs("]\n", stderr);
  }
  std::abort();
}

void QuietDebugLog() { ::setenv("QOR_DEBUG_LOG", "0", 0); }

namespace {

void RemoveScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(ScratchFolder(), ignored);
}

const std::string* MakeScratchFolder() {
  const char* base = std::getenv("TMPDIR");
  auto* pattern = new std::string(std::string(base && *base ? base : "/tmp") + "/qor-fuzz-XXXXXX");
  Expect(::mkdtemp(pattern->data()) != nullptr, "the scratch folder can be made", *pattern);
  std::atexit(RemoveScratchFolder);
  return pattern;
}

}  // namespace

// Made once and never destroyed, so the removal at exit can still read it.
const std::string& ScratchFolder() {
  static const std::string* folder = MakeScratchFolder();
  return *folder;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  Expect(static_cast<bool>(out), "the scratch file can be written", path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint8_t CInputReader::TakeByte() {
  if (m_Rest.empty()) return 0;
  const auto value = static_cast<std::uint8_t>(m_Rest.front());
  m_Rest.remove_prefix(1);
  return value;
}

std::string_view CInputReader::TakeBytes(std::size_t count) {
  const std::string_view taken = m_Rest.substr(0, count);
  m_Rest.remove_prefix(taken.size());
  return taken;
}

}  // namespace fuzz

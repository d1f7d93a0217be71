#include "emulator/element_text.h"

namespace emulator {

std::string ElementName(std::string_view line) {
  if (line.size() < 3 || line[0] != '<') return {};
  const std::size_t close = line.find('>');
  if (close == std::string_view::npos) return {};
  return std::string(line.substr(1, close - 1));
}

std::string ChildValue(std::string_view line, std::string_view name) {
  const std::string open = "<" + std::string(name) + ">";
  const std::string close = "</" + std::string(name) + ">";
  const std::size_t start = line.find(open, 1);
  if (start == std::string_view::npos) return {};
  const std::size_t end = line.find(close, start + open.size());
  if (end == std::string_view::npos) return {};
  return std::string(line.substr(start + open.size(), end - start - open.size()));
}

bool HasChild(std::string_view line, std::string_view name) {
  return line.find("<" + std::string(name) + ">", 1) != std::string_view::npos;
}

}  // namespace emulator

#include "emulator/element_text.h"

#include <algorithm>
#include <iterator>
#include <utility>

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

std::string MarkupValue(std::string_view line, std::string_view name) {
  static constexpr std::pair<std::string_view, char> kEscapes[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
  const std::string value = ChildValue(line, name);
  const std::string_view escaped(value);
  std::string text;
  for (std::size_t at = 0; at < escaped.size();) {
    const auto escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                     [&](const auto& entry) { return escaped.substr(at).starts_with(entry.first); });
    if (escape == std::end(kEscapes)) {
      text += escaped[at++];
      continue;
    }
    text += escape->second;
    at += escape->first.size();
  }
  return text;
}

bool HasChild(std::string_view line, std::string_view name) {
  return line.find("<" + std::string(name) + ">", 1) != std::string_view::npos;
}

}  // namespace emulator

#include "emulator/emulator_settings.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "emulator/amounts.h"
#include "platform/text_file.h"

namespace emulator {
namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool IsOn(const std::string& value) { return !value.empty() && value[0] == '1'; }

void ApplyFault(CRegisterFaults& faults, const std::string& key, const std::string& value) {
  if (key == "paperout") faults.m_PaperOut = IsOn(value);
  else if (key == "genericerror") faults.m_GenericError = IsOn(value);
  else if (key == "notoperating") faults.m_NotOperating = IsOn(value);
  else if (key == "noanswer") faults.m_NoAnswer = IsOn(value);
  else if (key == "remote") faults.m_Remote = IsOn(value);
  else if (key == "linedelayms") faults.m_LineDelayMs = std::min(ParseNumber(value).value_or(0), 10000);
}

// "ecr12" gives 12; anything else nothing.
std::optional<int> RegisterSection(const std::string& section) {
  if (section.rfind("ecr", 0) != 0) return std::nullopt;
  return ParseNumber(section.substr(3));
}

void ApplyLine(CEmulatorSettings& settings, const std::string& section, const std::string& key,
               const std::string& value) {
  if (section == "registers") {
    const auto number = ParseNumber(key);
    const auto type = ParseNumber(value);
    const bool known = number && std::any_of(settings.m_Registers.begin(), settings.m_Registers.end(),
                                             [&](const auto& entry) { return entry.first == *number; });
    if (number && type && *type <= 3 && !known) settings.m_Registers.emplace_back(*number, *type);
  } else if (section == "memory" && key == "sync") {
    settings.m_SyncMemory = IsOn(value);
  } else if (const auto number = RegisterSection(section)) {
    ApplyFault(settings.m_Faults[*number], key, value);
  }
}

}  // namespace

CEmulatorSettings ParseEmulatorSettings(const std::string& text) {
  CEmulatorSettings settings;
  std::istringstream lines(text);
  std::string section;
  for (std::string line; std::getline(lines, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      section = Lower(Trim(line.substr(1, line.find(']') - 1)));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    ApplyLine(settings, section, Lower(Trim(line.substr(0, equals))), Trim(line.substr(equals + 1)));
  }
  if (settings.m_Registers.empty()) settings.m_Registers = {{1, 1}, {2, 2}, {3, 0}, {4, 3}};
  return settings;
}

CEmulatorSettings LoadEmulatorSettings(const std::string& path) {
  return ParseEmulatorSettings(platform::ReadWholeFile(path).value_or(std::string()));
}

}  // namespace emulator

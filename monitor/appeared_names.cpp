#include "monitor/appeared_names.h"

namespace monitor {

void AppearedNames::Add(const std::string& folder, std::string_view name) {
  std::lock_guard<std::mutex> lock(m_Lock);
  Log& log = m_Logs[folder];
  if (log.gap) return;  // the listing the client makes next will find it
  if (!log.seen.emplace(name).second) return;
  if (log.names.size() >= kMaxNames) {
    log = Log{};
    return;
  }
  log.names.emplace_back(name);
}

void AppearedNames::MarkGap(const std::string& folder) {
  std::lock_guard<std::mutex> lock(m_Lock);
  m_Logs[folder] = Log{};
}

void AppearedNames::MarkGapEverywhere() {
  std::lock_guard<std::mutex> lock(m_Lock);
  for (auto& [folder, log] : m_Logs) log = Log{};
}

FolderNames AppearedNames::Take(const std::string& folder) {
  std::lock_guard<std::mutex> lock(m_Lock);
  Log& log = m_Logs[folder];
  FolderNames taken{std::move(log.names), !log.gap};
  log.names.clear();
  log.seen.clear();
  log.gap = false;
  return taken;
}

}  // namespace monitor

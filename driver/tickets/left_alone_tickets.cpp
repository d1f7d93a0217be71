#include "driver/tickets/left_alone_tickets.h"

namespace driver {

bool CLeftAloneTickets::Remember(const std::string& path) {
  std::optional<platform::FileIdentity> identity = platform::IdentityOf(path);
  if (identity) Remember(path, *identity);
  return identity.has_value();
}

bool CLeftAloneTickets::IsLeftAlone(const std::string& path) {
  auto remembered = m_Files.find(path);
  if (remembered == m_Files.end()) return false;
  if (platform::IdentityOf(path) == remembered->second) return true;
  m_Files.erase(remembered);
  return false;
}

std::vector<std::string> CLeftAloneTickets::NamesIn(const std::string& folder) const {
  std::vector<std::string> names;
  const std::string prefix = folder + "/";
  for (auto file = m_Files.lower_bound(prefix); file != m_Files.end() && file->first.compare(0, prefix.size(), prefix) == 0;
       ++file)
    if (file->first.find('/', prefix.size()) == std::string::npos) names.push_back(file->first.substr(prefix.size()));
  return names;
}

void CLeftAloneTickets::KeepOnly(const std::string& folder, const std::set<std::string>& listedNames) {
  const std::string prefix = folder + "/";
  for (auto file = m_Files.lower_bound(prefix); file != m_Files.end() && file->first.compare(0, prefix.size(), prefix) == 0;) {
    std::string name = file->first.substr(prefix.size());
    if (name.find('/') == std::string::npos && listedNames.count(name) == 0) {
      file = m_Files.erase(file);
    } else {
      ++file;
    }
  }
}

}  // namespace driver

#include "emulator/journal.h"

#include <filesystem>
#include <fstream>

namespace emulator {

std::string JournalPath(const std::string& baseDirectory, int ecr) {
  return baseDirectory + "/Journal/ECR" + std::to_string(ecr) + ".txt";
}

bool AppendToJournal(const std::string& baseDirectory, int ecr, const std::vector<std::string>& lines) {
  if (lines.empty()) return true;
  std::error_code ignored;
  std::filesystem::create_directories(baseDirectory + "/Journal", ignored);
  std::ofstream out(JournalPath(baseDirectory, ecr), std::ios::binary | std::ios::app);
  for (const std::string& line : lines) out << line << '\n';
  return static_cast<bool>(out);
}

}  // namespace emulator

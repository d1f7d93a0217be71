#include "tests/end_to_end/ticket_folder_scan.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace endtoend {

std::string ReplyPath(const std::string& folder, const std::string& ticketName) {
  std::string stem = ticketName.substr(0, ticketName.size() - 4);
  std::transform(stem.begin(), stem.end(), stem.begin(), [](unsigned char c) { return std::tolower(c); });
  return folder + "/" + stem + ".rep";
}

namespace {

std::vector<std::string> HalfDoneNow(const std::string& folder) {
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    if (extension == ".txt" || extension == ".mmm" || extension == ".xmm" || extension == ".mag" || extension == ".prg")
      left.push_back(entry.path().filename().string());
  }
  return left;
}

}  // namespace

std::vector<std::string> HalfDone(const std::string& folder) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::vector<std::string> left = HalfDoneNow(folder);
  while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    left = HalfDoneNow(folder);
  }
  return left;
}

int CountWithExtension(const std::string& folder, const std::string& extension, const std::string& prefix) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() == extension && name.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

int Occurrences(const std::string& text, const std::string& word) {
  int count = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size())) ++count;
  return count;
}

}  // namespace endtoend

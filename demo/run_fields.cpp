#include "demo/run_fields.h"

#include <filesystem>
#include <system_error>

#include "demo/numeric_text.h"

namespace demo {
namespace {

struct RefusalText {
  RunRefusal m_Refusal;
  const char* m_Text;
};

constexpr RefusalText kRefusalTexts[] = {
    {RunRefusal::None, ""},
    {RunRefusal::CashNumberAndFilePath, "Parameters Error: CASH NUMBER and FILE PATH"},
    {RunRefusal::FilePath, "Parameter Error: FILE PATH"},
    {RunRefusal::CashNumber, "Parameter Error: CASH NUMBER"},
    {RunRefusal::DestinationPath, "Parameter Error: DESTINATION PATH"},
};

}  // namespace

bool TicketFileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error)) return false;
  std::string name = file.filename().string();
  return !name.empty() && name.front() != '.';
}

bool DestinationExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}

RunRefusal CheckRunFields(const RunFields& fields) {
  bool cashIsNumber = IsNumeric(fields.m_CashNumber);
  if (!TicketFileExists(fields.m_FilePath))
    return cashIsNumber ? RunRefusal::FilePath : RunRefusal::CashNumberAndFilePath;
  if (!cashIsNumber) return RunRefusal::CashNumber;
  if (!fields.m_Destination.empty() && !DestinationExists(fields.m_Destination)) return RunRefusal::DestinationPath;
  return RunRefusal::None;
}

const char* RefusalMessage(RunRefusal refusal) {
  for (const RefusalText& entry : kRefusalTexts)
    if (entry.m_Refusal == refusal) return entry.m_Text;
  return "";
}

}  // namespace demo

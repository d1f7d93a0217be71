#include "emulator/memory_file.h"

#include <filesystem>
#include <fstream>
#include <optional>

#include "emulator/journal.h"
#include "emulator/register_memory.h"
#include "platform/debug_log.h"
#include "platform/text_file.h"

namespace emulator {
namespace {

namespace fs = std::filesystem;

std::uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

// Cuts a file back to a length it grew beyond; true when something was cut off.
bool CutBack(const std::string& path, std::uint64_t length) {
  if (FileSize(path) <= length) return false;
  std::error_code error;
  fs::resize_file(path, length, error);
  return !error;
}

// Whole lines only: a line without its line end never completed.
std::vector<std::string> ReadHistory(const std::string& path) {
  std::vector<std::string> lines;
  const std::string text = platform::ReadWholeFile(path).value_or(std::string());
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(HistoryLineOf(text.substr(start, end - start)));
  return lines;
}

}  // namespace

CMemoryFile::CMemoryFile(std::string baseDirectory, int ecr, MemorySync sync)
    : m_BaseDirectory(std::move(baseDirectory)), m_Ecr(ecr), m_Sync(sync) {}

std::string CMemoryFile::MemoryPath(int slot) const {
  return m_BaseDirectory + "/Memory/ECR" + std::to_string(m_Ecr) + "-" + std::to_string(slot + 1) + ".txt";
}

std::string CMemoryFile::HistoryPath() const {
  return m_BaseDirectory + "/Memory/ECR" + std::to_string(m_Ecr) + ".history";
}

bool CMemoryFile::OpenSlots() {
  std::error_code ignored;
  fs::create_directories(m_BaseDirectory + "/Memory", ignored);
  bool open = true;
  for (int slot = 0; slot < 2; ++slot)
    if (!m_Slots[slot].IsOpen() && !m_Slots[slot].Open(MemoryPath(slot))) open = false;
  return open;
}

void CMemoryFile::Load(CRegister& ecr) {
  if (!OpenSlots()) platform::DebugLog("Emulator: ECR %d memory files cannot be opened", m_Ecr);
  std::optional<CRememberedRegister> memory;
  bool anyText = false;
  for (int slot = 0; slot < 2; ++slot) {
    const std::optional<std::string> text = m_Slots[slot].Read();
    if (!text || text->empty()) continue;
    anyText = true;
    std::optional<CRememberedRegister> read = ParseMemoryText(*text);
    if (!read || read->m_Register.m_Number != ecr.m_Number || read->m_Register.m_Type != ecr.m_Type) continue;
    if (memory && read->m_Marks.m_Sequence <= memory->m_Marks.m_Sequence) continue;
    memory = std::move(read);
    m_Newest = slot;
  }
  if (!memory) {
    if (anyText) platform::DebugLog("Emulator: ECR %d memory unreadable or of another register: it starts empty", m_Ecr);
    m_Newest = -1;
    ForgetHistory();
    return;
  }
  if (CutBack(JournalPath(m_BaseDirectory, m_Ecr), memory->m_Marks.m_JournalBytes))
    platform::DebugLog("Emulator: ECR %d journal cut back to what its memory covers", m_Ecr);
  CutBack(HistoryPath(), memory->m_Marks.m_HistoryBytes);
  m_Sequence = memory->m_Marks.m_Sequence;
  CRegister& remembered = memory->m_Register;
  remembered.m_Faults = ecr.m_Faults;
  ecr = std::move(remembered);
  m_HistoryBytes = FileSize(HistoryPath());
  m_Saved = MemoryText(ecr, {memory->m_Marks.m_JournalBytes, memory->m_Marks.m_HistoryBytes, 0});
}

void CMemoryFile::ForgetHistory() {
  std::error_code ignored;
  fs::remove(HistoryPath(), ignored);
  m_HistoryBytes = 0;
}

bool CMemoryFile::Save(CRegister& ecr) {
  if (!OpenSlots()) return false;
  bool historyChanged = false;
  if (!SaveHistory(ecr, historyChanged)) return false;
  const std::string journal = JournalPath(m_BaseDirectory, m_Ecr);
  CPrintMarks marks{FileSize(journal), m_HistoryBytes, 0};
  const std::string unnumbered = MemoryText(ecr, marks);
  if (unnumbered == m_Saved) return true;
  const bool synced = m_Sync == MemorySync::kSynced;
  // The memory must never run ahead of the printing it accounts for.
  if (synced) platform::SyncFileData(journal);
  if (synced && historyChanged) platform::SyncFileData(HistoryPath());
  marks.m_Sequence = m_Sequence + 1;
  const int slot = m_Newest == 0 ? 1 : 0;
  if (!m_Slots[slot].Rewrite(MemoryText(ecr, marks),
                             synced ? platform::Durability::kSynced : platform::Durability::kCached)) {
    platform::DebugLog("Emulator: ECR %d memory [%s] not written", m_Ecr, MemoryPath(slot).c_str());
    return false;
  }
  m_Newest = slot;
  m_Sequence = marks.m_Sequence;
  m_Saved = unnumbered;
  return true;
}

// New lines are appended; a rollback empties the file first. Only the lines not yet written are kept
// in memory, so the register does not grow with the receipts it has printed.
bool CMemoryFile::SaveHistory(CRegister& ecr, bool& changed) {
  if (ecr.m_NewHistory.empty() && !ecr.m_HistoryRolledBack) return true;
  const bool rolledBack = ecr.m_HistoryRolledBack;
  std::string lines;
  for (const std::string& line : ecr.m_NewHistory) lines += HistoryFileLine(line);
  std::ofstream out(HistoryPath(), std::ios::binary | (rolledBack ? std::ios::trunc : std::ios::app));
  const bool written = static_cast<bool>(out << lines << std::flush);
  if (!written) {
    platform::DebugLog("Emulator: ECR %d history [%s] not written", m_Ecr, HistoryPath().c_str());
    return false;
  }
  m_HistoryBytes = (rolledBack ? 0 : m_HistoryBytes) + lines.size();
  ecr.m_NewHistory.clear();
  ecr.m_HistoryRolledBack = false;
  changed = true;
  return true;
}

std::vector<std::string> CMemoryFile::History(const CRegister& ecr) const {
  std::vector<std::string> lines = ecr.m_HistoryRolledBack ? std::vector<std::string>() : ReadHistory(HistoryPath());
  lines.insert(lines.end(), ecr.m_NewHistory.begin(), ecr.m_NewHistory.end());
  return lines;
}

}  // namespace emulator

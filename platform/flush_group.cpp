#include "platform/flush_group.h"

#include <cerrno>
#include <future>
#include <map>
#include <set>

#include "platform/folder_files.h"

namespace platform {
namespace {

// A file that is gone has nothing left to flush: its removal is a name change of its folder.
SystemError FlushFileIfThere(const std::string& path) {
  const SystemError error = FlushFile(path);
  return error.Number() == ENOENT ? SystemError() : error;
}

void RenameAll(const CFlushStep& step, CFlushOutcome& outcome) {
  for (const auto& [from, to] : step.m_Renames) {
    if (outcome.m_Error.Failed()) return;
    if (const SystemError error = RenameWithoutReplacing(from, to); error.Failed()) outcome = {error, from};
  }
}

}  // namespace

CFlushGroup::CFlushGroup(Mode mode) { UseMode(mode); }

void CFlushGroup::UseMode(Mode mode) {
  m_Mode = mode;
  if (m_Mode == Mode::kDurable && !m_Thread.joinable()) m_Thread = std::thread([this] { Serve(); });
}

CFlushGroup::~CFlushGroup() {
  {
    std::lock_guard<std::mutex> lock(m_Lock);
    m_Ending = true;
  }
  m_Asked.notify_all();
  if (m_Thread.joinable()) m_Thread.join();
}

CFlushOutcome CFlushGroup::Flush(CFlushStep step) {
  std::promise<CFlushOutcome> outcome;
  std::future<CFlushOutcome> done = outcome.get_future();
  FlushThen(std::move(step), [&outcome](const CFlushOutcome& result) { outcome.set_value(result); });
  return done.get();
}

void CFlushGroup::FlushThen(CFlushStep step, Done done) {
  if (m_Mode == Mode::kCached) {
    {
      std::lock_guard<std::mutex> lock(m_Lock);
      ++m_Counts.m_Steps;
    }
    CFlushOutcome outcome;
    RenameAll(step, outcome);
    done(outcome);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(m_Lock);
    ++m_Counts.m_Steps;
    m_Pending.push_back({std::move(step), std::move(done)});
  }
  m_Asked.notify_one();
}

CFlushGroup::CCounts CFlushGroup::Counts() const {
  std::lock_guard<std::mutex> lock(m_Lock);
  return m_Counts;
}

void CFlushGroup::Serve() {
  std::unique_lock<std::mutex> lock(m_Lock);
  for (;;) {
    m_Asked.wait(lock, [this] { return m_Ending || !m_Pending.empty(); });
    if (m_Pending.empty()) return;
    std::deque<CPending> round;
    round.swap(m_Pending);
    lock.unlock();
    RunRound(round);
    lock.lock();
  }
}

// Every file once, then each step's renames in the order the steps were asked for, then every folder
// once: a folder flushed after the renames holds them all.
void CFlushGroup::RunRound(std::deque<CPending>& round) {
  std::map<std::string, SystemError> files, folders;
  for (const CPending& pending : round)
    for (const std::string& file : pending.m_Step.m_Files) files.emplace(file, SystemError());
  for (auto& [path, error] : files) error = FlushFileIfThere(path);

  std::vector<CFlushOutcome> outcomes(round.size());
  for (std::size_t index = 0; index < round.size(); ++index) {
    const CFlushStep& step = round[index].m_Step;
    for (const std::string& file : step.m_Files)
      if (const SystemError error = files[file]; error.Failed() && outcomes[index].Done()) outcomes[index] = {error, file};
    RenameAll(step, outcomes[index]);
    for (const std::string& folder : step.m_Folders) folders.emplace(folder, SystemError());
  }
  for (auto& [path, error] : folders) error = FlushFolder(path);
  for (std::size_t index = 0; index < round.size(); ++index)
    for (const std::string& folder : round[index].m_Step.m_Folders)
      if (const SystemError error = folders[folder]; error.Failed() && outcomes[index].Done())
        outcomes[index] = {error, folder};

  {
    std::lock_guard<std::mutex> lock(m_Lock);
    if (!files.empty() || !folders.empty()) ++m_Counts.m_Rounds;
    m_Counts.m_Calls += files.size() + folders.size();
  }
  for (std::size_t index = 0; index < round.size(); ++index) round[index].m_Done(outcomes[index]);
}

}  // namespace platform

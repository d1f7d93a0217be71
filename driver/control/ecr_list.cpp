#include "driver/control/ecr_list.h"

#include <cstdio>

#include "platform/named_mutex.h"

namespace driver {
namespace {

std::string MutexName(const char* format, std::int32_t ecrId) {
  char name[64];
  std::snprintf(name, sizeof name, format, ecrId);
  return name;
}

}  // namespace

CEcrContext& CEcrList::Add(std::int32_t ecrId, std::int32_t ecrType, RegisterMutexes mutexes) {
  auto ecr = std::make_shared<CEcrContext>(ecrId, ecrType);
  if (mutexes == RegisterMutexes::Named) {
    ecr->GiveMutexes(platform::NamedMutex::Create(MutexName(kJobMutexName, ecrId), false,
                                                  platform::MutexSharing::AcrossProcesses).m_Mutex,
                     platform::NamedMutex::Create(MutexName(kStopMutexName, ecrId), true,
                                                  platform::MutexSharing::ProcessLocal).m_Mutex);
  }
  m_Registers.push_back(std::move(ecr));
  return *m_Registers.back();
}

void CEcrList::StopAll() {
  for (const auto& ecr : m_Registers) ecr->Stop();
}

void CEcrList::ReleaseStopMutexes() {
  for (const auto& ecr : m_Registers)
    if (ecr->StopMutex()) ecr->StopMutex()->Release();
}

void CEcrList::CancelAll() {
  for (const auto& ecr : m_Registers) ecr->Cancel();
}

void CEcrList::Free(FreedRecords records) {
  if (records == FreedRecords::KeptForProcessEnd)
    m_Retired.insert(m_Retired.end(), m_Registers.begin(), m_Registers.end());
  m_Registers.clear();
}

CEcrContext* CEcrList::FindEcr(std::int32_t ecr) {
  for (const auto& context : m_Registers)
    if (context->m_EcrId == ecr) return context.get();
  return nullptr;
}

}  // namespace driver

#include "driver/folder_monitor.h"

#include "platform/component_loader.h"
#include "platform/debug_log.h"

namespace driver {

CFolderMonitor::CFolderMonitor(const platform::Store& store) : m_Store(store) {}

CFolderMonitor::~CFolderMonitor() { Disconnect(); }

bool CFolderMonitor::Connect() {
  platform::ComponentResult created = platform::LoadComponent(m_Store, monitor::kQorSpyClassId);
  if (created.m_Status != platform::ComponentStatus::kCreated) {
    platform::DebugLog("[ZEDO] QorSpy cannot be created: [%s] [%s]", created.m_ModulePath.c_str(),
                       created.m_Error.empty() ? "not registered" : created.m_Error.c_str());
  } else {
    m_SpyObject = std::move(created.m_Object);
    m_Spy = qobject_cast<monitor::IQorSpy*>(m_SpyObject.get());
  }
  m_Sink = std::make_unique<CQorMonitorSink>(m_Store);
  short connected = 0;
  m_Sink->ConnectSpy(m_Spy, connected);
  return connected == -1;
}

void CFolderMonitor::AddFolder(const std::string& folder) {
  if (m_Spy) m_Spy->AddFolder(folder);
}

void CFolderMonitor::RemoveFolder(const std::string& folder) {
  if (m_Spy) m_Spy->RemoveFolder(folder);
}

void CFolderMonitor::Start() {
  if (m_Spy) m_Spy->put_Start(monitor::kVariantTrue);
}

monitor::FolderNames CFolderMonitor::TakeAppearedNames(const std::string& folder) {
  return m_Spy ? m_Spy->TakeAppearedNames(folder) : monitor::FolderNames{};
}

void CFolderMonitor::SetTarget(IFolderNotifyTarget* target) {
  if (m_Sink) m_Sink->SetTarget(target);
}

void CFolderMonitor::Disconnect() {
  if (m_Sink) m_Sink->DisconnectSpy();
  m_Sink.reset();
  m_Spy = nullptr;
  m_SpyObject.reset();  // the last reference: the watcher stops and its worker ends
}

}  // namespace driver

#include "driver/monitor_sink/qor_monitor_sink.h"

#include <cstdio>

namespace driver {

CQorMonitorSink::CQorMonitorSink(platform::Store store, QObject* parent) : QObject(parent), m_Store(std::move(store)) {}

CQorMonitorSink::~CQorMonitorSink() { DisconnectSpy(); }

long CQorMonitorSink::ConnectSpy(monitor::IQorSpy* source, short& connected) {
  if (IsConnected()) DisconnectSpy();
  m_Source = nullptr;
  m_SourceObject = nullptr;
  connected = 0;
  if (!source || !monitor::ConnectNotify(source, this, SLOT(OnNotify(QByteArray, short)))) return kSinkOk;
  m_Source = source;
  m_SourceObject = source->EventSource();
  // The cookie of a connection is the sink's own identity, as the watcher's connection point keeps it.
  m_Cookie = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(this));
  if (m_Cookie == kSinkNotConnected) m_Cookie = 1;
  connected = -1;
  return kSinkOk;
}

long CQorMonitorSink::DisconnectSpy() {
  if (m_Source && m_SourceObject && IsConnected()) monitor::DisconnectNotify(m_Source, this);
  m_Cookie = kSinkNotConnected;
  return kSinkOk;
}

// The event's description comes from the watcher's registered type library; without it the event
// cannot be read and is ignored, as a dispatch sink does.
bool CQorMonitorSink::TypeLibraryRegistered() {
  if (!m_TypeInfoLoaded) {
    char key[128];
    std::snprintf(key, sizeof key, "HKEY_CLASSES_ROOT\\TypeLib\\%s\\%u.%u", m_TypeLibraryId, m_VersionMajor,
                  m_VersionMinor);
    m_TypeInfoLoaded = m_Store.KeyExists(key);
  }
  return m_TypeInfoLoaded;
}

void CQorMonitorSink::OnNotify(QByteArray sPathName, short nType) {
  if (!TypeLibraryRegistered() || !m_Target) return;
  m_Target->OnFolderNotify(sPathName.toStdString(), nType);
}

}  // namespace driver

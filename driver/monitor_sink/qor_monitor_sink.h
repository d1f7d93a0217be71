#pragma once
// QorMonitorSink: the driver's receiver of the folder watcher's Notify event. It connects to a QorSpy,
// and hands every notification, on the window thread that created the watcher, to its target, which
// turns it into a scan of the notified folder. A notification that arrives before the target is set
// is dropped.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string>

#include "monitor/qor_spy_interface.h"
#include "platform/store.h"

namespace driver {

// Who receives the notifications (the driver's main object).
class IFolderNotifyTarget {
 public:
  virtual ~IFolderNotifyTarget() = default;
  virtual void OnFolderNotify(const std::string& path, short nType) = 0;
};

inline constexpr char kQorMonitorSinkClassId[] = "{CECFC387-9207-40C5-892C-B43DD4F588C3}";
inline constexpr char kQorMonitorSinkInterfaceId[] = "{CECFC389-9207-40C5-892C-B43DD4F588C3}";
inline constexpr std::uint32_t kSinkNotConnected = 0xFEFEFEFE;
inline constexpr long kSinkOk = 0;  // S_OK

class CQorMonitorSink : public QObject {
  Q_OBJECT

 public:
  // The store is where the watcher's type library is looked up at the first notification.
  explicit CQorMonitorSink(platform::Store store = platform::Store(), QObject* parent = nullptr);
  ~CQorMonitorSink() override;

  // Subscribes to the watcher's Notify event; connected is -1 on success, 0 otherwise (no source
  // included). The result is S_OK in every case.
  long ConnectSpy(monitor::IQorSpy* source, short& connected);
  // Ends the subscription; the source stays known until the sink is destroyed. S_OK always.
  long DisconnectSpy();

  void SetTarget(IFolderNotifyTarget* target) { m_Target = target; }
  std::uint32_t Cookie() const { return m_Cookie; }
  bool IsConnected() const { return m_Cookie != kSinkNotConnected; }

 public slots:
  void OnNotify(QByteArray sPathName, short nType);

 private:
  bool TypeLibraryRegistered();

  const char* const m_TypeLibraryId = "{D82238CD-88D6-474C-AFBC-1C2A23371F24}";
  const char* const m_EventInterfaceId = "{A70E6B09-8DF7-4052-96FF-7F789B195250}";
  const std::uint16_t m_VersionMajor = 1;
  const std::uint16_t m_VersionMinor = 0;
  std::uint32_t m_Cookie = kSinkNotConnected;
  monitor::IQorSpy* m_Source = nullptr;
  QPointer<QObject> m_SourceObject;
  IFolderNotifyTarget* m_Target = nullptr;
  platform::Store m_Store;
  bool m_TypeInfoLoaded = false;
};

}  // namespace driver

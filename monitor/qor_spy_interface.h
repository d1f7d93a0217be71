#pragma once
// IQorSpy: the folder watcher as its client sees it. The driver includes this header only; the
// watcher itself lives in the QorMonitor module and is created through the class id below
// (platform::LoadComponent), then reached with qobject_cast<monitor::IQorSpy*>(object).
//
// The Notify event. The object that serves IQorSpy (EventSource()) has the Qt signal
//     Notify(QByteArray sPathName, short nType)
// raised on the thread that created the object, one signal per change report. A sink connects
// and disconnects by that signature, so it needs nothing of the module's own classes:
//     monitor::ConnectNotify(spy, sink, SLOT(OnNotify(QByteArray,short)));
//     monitor::DisconnectNotify(spy, sink);
// Any number of sinks may connect; each receives every notification, in connection order.
// nType: 0 the watcher has just started (sPathName is the first listed folder), 1 a file in the
// folder was written, 2 a file was created, deleted or renamed, 3 the same for a sub-folder.
//
// Paths are 8-bit text held and compared as bytes: no case folding, no trailing-slash or relative
// path normalisation, so two spellings of one folder are two entries.

#include <QObject>
#include <QtPlugin>
#include <string>

#include "monitor/folder_names.h"

namespace monitor {

// Class id of QorSpy and the ids that go with it in the store.
inline constexpr char kQorSpyClassId[] = "{733B543D-B49E-4292-BC5D-B86E254EA671}";
inline constexpr char kQorSpyInterfaceId[] = "{7A972797-D2F4-4A7D-9255-171C8178439A}";
inline constexpr char kQorSpyEventsInterfaceId[] = "{A70E6B09-8DF7-4052-96FF-7F789B195250}";
inline constexpr char kQorMonitorLibraryId[] = "{D82238CD-88D6-474C-AFBC-1C2A23371F24}";

// Boolean values of the Start property.
inline constexpr short kVariantTrue = -1;
inline constexpr short kVariantFalse = 0;

// Change types carried by Notify.
enum NotifyType : short {
  kNotifyStarted = 0,
  kNotifyLastWrite = 1,
  kNotifyFileName = 2,
  kNotifyDirName = 3,
};

class IQorSpy {
 public:
  virtual ~IQorSpy() = default;
  // Appends a folder to the watched list. An empty path, or one already listed byte for byte,
  // changes nothing. While running, the worker rebuilds its watches from the new list.
  virtual void AddFolder(const std::string& sPathName) = 0;
  // Removes the first entry equal byte for byte; an unlisted path changes nothing.
  virtual void RemoveFolder(const std::string& sPathName) = 0;
  // -1 starts the watcher (a running one is left alone); every other value, 1 included, stops it.
  virtual void put_Start(short value) = 0;
  // -1 while started, 0 otherwise.
  virtual short get_Start() const = 0;
  // Takes the names that appeared in a listed folder (the path as listed) since the last take; any
  // thread may call it.
  virtual FolderNames TakeAppearedNames(const std::string& sPathName) = 0;
  // The object whose Notify signal carries the change reports.
  virtual QObject* EventSource() = 0;
};

// Normalised signature of the event, as SIGNAL() writes it.
inline constexpr char kNotifySignal[] = "2Notify(QByteArray,short)";

// Connects a sink's slot (written with SLOT(...)) to the Notify event; false when it cannot connect
// (no source, or a slot that does not take (QByteArray, short)).
inline bool ConnectNotify(IQorSpy* spy, const QObject* sink, const char* slot) {
  if (!spy || !spy->EventSource() || !sink) return false;
  return static_cast<bool>(QObject::connect(spy->EventSource(), kNotifySignal, sink, slot, Qt::AutoConnection));
}

// Ends every connection of the sink to the Notify event.
inline bool DisconnectNotify(IQorSpy* spy, const QObject* sink) {
  if (!spy || !spy->EventSource() || !sink) return false;
  return QObject::disconnect(spy->EventSource(), kNotifySignal, sink, nullptr);
}

}  // namespace monitor

#define QOR_SPY_INTERFACE_IID "org.qor.IQorSpy/{7A972797-D2F4-4A7D-9255-171C8178439A}"
Q_DECLARE_INTERFACE(monitor::IQorSpy, QOR_SPY_INTERFACE_IID)

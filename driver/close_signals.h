#pragma once
// SIGTERM and SIGINT as the window's close request: the signal handler only writes a byte to a pipe,
// and the window thread reads it through a socket notifier and posts WM_CLOSE, so the whole shutdown
// runs on the window thread as it does for any other close.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace driver {

class CCloseSignals final : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; nullptr when the pipe cannot be made (the signals then end the program).
  static std::unique_ptr<CCloseSignals> Install(QObject* parent = nullptr);
  ~CCloseSignals() override;

 signals:
  // Once per signal received.
  void CloseRequested(int signalNumber);

 private:
  CCloseSignals(int readEnd, QObject* parent);
  void OnReadable();

  int m_ReadEnd;
  QSocketNotifier m_Notifier;
};

}  // namespace driver

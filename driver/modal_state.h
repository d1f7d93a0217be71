#pragma once
// CModalState: which modal window of the driver is up. The About dialog, the question before the
// administration sheet, and the sheet itself, while which ticket processing is suspended (new tickets
// are answered 11). While any of them is up the tray's commands are refused. Changed on the window
// thread only; whether the sheet is open is also read by job threads.

#include <atomic>

class QObject;

namespace driver {

class CModalState {
 public:
  // True while the sheet, its opening question or the About dialog is up.
  bool ModalWindowUp() const { return m_ServiceSuspended || m_SheetConfirming || m_AboutOpen; }

  bool IsAboutOpen() const { return m_AboutOpen; }
  void AboutOpened() { m_AboutOpen = true; }
  void AboutClosed() { m_AboutOpen = false; }

  bool IsConfirmingSheet() const { return m_SheetConfirming; }
  void SheetQuestionAsked() { m_SheetConfirming = true; }
  void SheetQuestionAnswered() { m_SheetConfirming = false; }

  // Ticket processing stops before the sheet is built and resumes once it has gone.
  bool IsServiceSuspended() const { return m_ServiceSuspended; }
  void SuspendService() { m_ServiceSuspended = true; }
  void SheetOpened(QObject* sheet) {
    m_OpenSheet = sheet;
    m_SheetIsOpen = sheet != nullptr;
  }
  void SheetClosed() {
    SheetOpened(nullptr);
    m_ServiceSuspended = false;
  }
  QObject* OpenSheet() const { return m_OpenSheet; }
  bool IsSheetOpen() const { return m_SheetIsOpen.load(); }  // from any thread

 private:
  bool m_ServiceSuspended = false;
  bool m_SheetConfirming = false;
  bool m_AboutOpen = false;
  QObject* m_OpenSheet = nullptr;  // set and cleared around the sheet's own loop
  std::atomic<bool> m_SheetIsOpen{false};
};

}  // namespace driver

#pragma once
// The three commands of the tray menu: About (dialog 100), Show (the administration sheet, with
// ticket processing suspended while it is open) and Exit. Each runs on the window thread; the
// About dialog and the sheet are modal, and the driver's modal state says which one is up.

#include <QObject>

#include "driver/folder_chooser.h"
#include "driver/message_box.h"

namespace platform {
class Store;
}

namespace driver {

class CQorDriverDlg;
class CPropDialog;
class CAboutDialog;

class CTrayCommands final : public QObject {
  Q_OBJECT
 public:
  CTrayCommands(CQorDriverDlg& driver, platform::Store& store, IMessageBox& messageBox, IFolderChooser& chooser);

  // True while the sheet, its opening question or the About dialog is up: the icon shows no menu then.
  bool ModalWindowUp() const;
  // Brings that window to the front (out of the task bar, when it was minimised there).
  void RaiseOpenWindow();

  void About();
  void Show();
  void Exit();

 signals:
  // The modal window has been built and is about to be shown.
  void SheetOpening(CPropDialog* sheet);
  void AboutOpening(CAboutDialog* dialog);

 private:
  CQorDriverDlg& m_Driver;
  platform::Store& m_Store;
  IMessageBox& m_MessageBox;
  IFolderChooser& m_Chooser;
};

}  // namespace driver

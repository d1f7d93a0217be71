#pragma once
// CDesktopShell: the driver's face on a desktop: the tray icon (or its window) with its menu
// commands, the About dialog's folder chooser, the administration sheet, and Qt's own texts in the
// driver's language. Only the desktop program makes one; without a display the driver runs without
// it and nothing of the ticket path needs it.

#include <memory>

#include "driver/folder_chooser.h"
#include "driver/message_box.h"
#include "driver/qt_translation.h"
#include "driver/tray_commands.h"
#include "driver/tray_icon.h"

namespace platform {
class Store;
}

namespace driver {

class CQorDriverDlg;

class CDesktopShell {
 public:
  CDesktopShell(CQorDriverDlg& driver, platform::Store& store, IMessageBox& messageBox);

  // Start-up step 7: the icon from "brand.ico" in the driver's base directory, in the notification
  // area or its window as the desktop has it from now on; Qt's texts follow the stored language. The
  // icon goes away at shutdown step 6, when the driver closes.
  void AddTrayIcon();

  CTrayCommands& Commands() { return m_Commands; }
  CTrayIcon& TrayIcon() { return m_TrayIcon; }

 private:
  CQorDriverDlg& m_Driver;
  platform::Store& m_Store;
  CQtTranslation m_QtTranslation;
  CWidgetFolderChooser m_Chooser;
  CTrayCommands m_Commands;
  CTrayIcon m_TrayIcon;
};

}  // namespace driver

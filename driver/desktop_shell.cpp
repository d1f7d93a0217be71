#include "driver/desktop_shell.h"

#include "driver/qor_driver_dlg.h"

namespace driver {

CDesktopShell::CDesktopShell(CQorDriverDlg& driver, platform::Store& store, IMessageBox& messageBox)
    : m_Driver(driver), m_Commands(driver, store, messageBox, m_Chooser), m_TrayIcon(m_Commands) {
  QObject::connect(&driver, &CQorDriverDlg::Closing, &m_TrayIcon, &CTrayIcon::Remove);
}

void CDesktopShell::AddTrayIcon(TrayPresence presence) {
  m_TrayIcon.Add(m_Driver.BaseDirectory() + kTrayIconFile, presence);
}

}  // namespace driver

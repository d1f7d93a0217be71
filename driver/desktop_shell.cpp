#include "driver/desktop_shell.h"

#include "driver/about_dialog.h"
#include "driver/messages.h"
#include "driver/qor_driver_dlg.h"

namespace driver {

CDesktopShell::CDesktopShell(CQorDriverDlg& driver, platform::Store& store, IMessageBox& messageBox)
    : m_Driver(driver), m_Store(store), m_Commands(driver, store, messageBox, m_Chooser), m_TrayIcon(m_Commands) {
  QObject::connect(&driver, &CQorDriverDlg::Closing, &m_TrayIcon, &CTrayIcon::Remove);
  QObject::connect(&m_Commands, &CTrayCommands::AboutOpening, &m_Commands, [this](CAboutDialog* dialog) {
    QObject::connect(dialog, &CAboutDialog::LanguageChosen, dialog,
                     [this](const std::string& language) { m_QtTranslation.Use(language); });
  });
}

void CDesktopShell::AddTrayIcon() {
  m_QtTranslation.Use(StoredLanguage(m_Store));
  m_TrayIcon.Add(m_Driver.BaseDirectory() + kTrayIconFile, CTrayIcon::DesktopPresence());
  m_TrayIcon.FollowPresence(&CTrayIcon::DesktopPresence);
  if (CShopWatch* watch = m_Driver.ShopWatch()) {
    m_TrayIcon.ShowSummary(watch->Summary());
    m_TrayIcon.ShowAttention(watch->Attention());
    QObject::connect(watch, &CShopWatch::SummaryChanged, &m_TrayIcon, &CTrayIcon::ShowSummary);
    QObject::connect(watch, &CShopWatch::AttentionChanged, &m_TrayIcon, &CTrayIcon::ShowAttention);
  }
}

}  // namespace driver

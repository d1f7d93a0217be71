#pragma once
// CTrayIcon: what a person sees of a running driver. In the notification area it is the icon
// "brand.ico" with the tip "QorDriver" and menu 131 (About, Show, Exit); on a desktop without a
// notification area it is a small window with the same three commands. Clicks are ignored while
// the sheet, its opening question or the About dialog is up.

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>
#include <string>

#include "driver/tray_commands.h"

class QPushButton;
class QWidget;

namespace driver {

inline constexpr const char* kTrayTip = "QorDriver";
inline constexpr const char* kTrayIconFile = "brand.ico";
inline constexpr int kTrayIconSize = 64;

enum class TrayPresence { NotificationArea, Window };

class CTrayIcon final : public QObject {
  Q_OBJECT
 public:
  explicit CTrayIcon(CTrayCommands& commands, QObject* parent = nullptr);
  ~CTrayIcon() override;

  // Start-up: shows the icon with the image of iconPath (none when the file is missing or unreadable).
  void Add(const std::string& iconPath, TrayPresence presence);
  // Shutdown: takes the icon (or window) away.
  void Remove();

  // A click on the icon: a right click or a left double click shows the menu, anything else nothing.
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QMenu& Menu() { return m_Menu; }
  QSystemTrayIcon* NotificationIcon() { return m_Icon.get(); }
  QWidget* Window() { return m_Window.get(); }

  // The desktop's choice: the notification area when there is one.
  static TrayPresence DesktopPresence();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RefreshTexts();
  std::unique_ptr<QWidget> MakeWindow(const QIcon& image);

  CTrayCommands& m_Commands;
  QMenu m_Menu;  // menu 131
  QAction* m_About = nullptr;
  QAction* m_Show = nullptr;
  QAction* m_Exit = nullptr;
  std::unique_ptr<QSystemTrayIcon> m_Icon;
  std::unique_ptr<QWidget> m_Window;
};

}  // namespace driver

#pragma once
// CTrayIcon: what a person sees of a running driver. In the notification area it is the icon
// "brand.ico" with the tip "QorDriver" and menu 131 (About, Show, Exit); on a desktop without a
// notification area it is a small window with the same three commands; it follows the desktop,
// moving into the notification area when one appears after the driver started (a panel that starts
// late, or restarts) and back to the window when it goes. While the sheet, its opening question or
// the About dialog is up, a click shows no menu but brings that window to the front.

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/tray_commands.h"

class QPushButton;
class QWidget;

namespace driver {

inline constexpr const char* kTrayTip = "QorDriver";
inline constexpr const char* kTrayIconFile = "brand.ico";
inline constexpr int kTrayIconSize = 64;

enum class TrayPresence { NotificationArea, Window };

// How often the desktop is asked whether it has a notification area.
inline constexpr std::chrono::milliseconds kTrayPresenceCheck{2000};

class CTrayIcon final : public QObject {
  Q_OBJECT
 public:
  explicit CTrayIcon(CTrayCommands& commands, QObject* parent = nullptr);
  ~CTrayIcon() override;

  // Start-up: shows the icon with the image of iconPath (none when the file is missing or unreadable).
  void Add(const std::string& iconPath, TrayPresence presence);
  // Shutdown: takes the icon (or window) away.
  void Remove();

  // From now on asks probe every interval where the icon belongs and moves it there.
  void FollowPresence(std::function<TrayPresence()> probe, std::chrono::milliseconds interval = kTrayPresenceCheck);
  // One such check; done by the timer, callable at any time.
  void CheckPresence();

  // A click on the icon: a right click or a left double click shows the menu, anything else nothing.
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QMenu& Menu() { return m_Menu; }
  QSystemTrayIcon* NotificationIcon() { return m_Icon.get(); }
  QWidget* Window() { return m_Window.get(); }

  // The desktop's choice: the notification area when there is one.
  static TrayPresence DesktopPresence();

  // The shop's registers: the summary goes under the tip; the registers that need a person head the
  // menu, and a new one is told once as a desktop notification.
  void ShowSummary(const QString& summary);
  void ShowAttention(const QStringList& registers);
  QString ToolTip() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TakeAway();
  void RefreshTexts();
  std::unique_ptr<QWidget> MakeWindow(const QIcon& image);

  CTrayCommands& m_Commands;
  std::string m_IconPath;
  TrayPresence m_Presence = TrayPresence::Window;
  std::function<TrayPresence()> m_PresenceProbe;
  QTimer m_PresenceCheck;
  QMenu m_Menu;  // menu 131
  QAction* m_About = nullptr;
  QAction* m_Show = nullptr;
  QAction* m_Exit = nullptr;
  QString m_Summary;
  QStringList m_Attention;
  std::vector<QAction*> m_AttentionActions;
  std::unique_ptr<QSystemTrayIcon> m_Icon;
  std::unique_ptr<QWidget> m_Window;
};

}  // namespace driver

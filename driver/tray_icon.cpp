#include "driver/tray_icon.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "driver/messages.h"
#include "platform/debug_log.h"

namespace driver {
namespace {

QString Text(const char* number) { return QString::fromLocal8Bit(LoadMessage(number).c_str()); }

// The image at 64 x 64; an empty icon when the file is missing or unreadable.
QIcon LoadImage(const std::string& path) {
  const QString file = QString::fromLocal8Bit(path.c_str());
  if (!QFileInfo::exists(file)) return {};
  const QPixmap image = QIcon(file).pixmap(kTrayIconSize, kTrayIconSize);
  if (image.isNull()) return {};
  return QIcon(image);
}

}  // namespace

CTrayIcon::CTrayIcon(CTrayCommands& commands, QObject* parent) : QObject(parent), m_Commands(commands) {
  m_Menu.setObjectName("menu131");
  m_About = m_Menu.addAction("About");
  m_Menu.addSeparator();
  m_Show = m_Menu.addAction("Show");
  m_Menu.addSeparator();
  m_Exit = m_Menu.addAction("Exit");
  // The commands run once the menu has closed, so a modal window never opens under an open menu.
  connect(m_About, &QAction::triggered, &m_Commands, &CTrayCommands::About, Qt::QueuedConnection);
  connect(m_Show, &QAction::triggered, &m_Commands, &CTrayCommands::Show, Qt::QueuedConnection);
  connect(m_Exit, &QAction::triggered, &m_Commands, &CTrayCommands::Exit, Qt::QueuedConnection);
  connect(&m_Menu, &QMenu::aboutToShow, this, &CTrayIcon::RefreshTexts);
  connect(&m_PresenceCheck, &QTimer::timeout, this, &CTrayIcon::CheckPresence);
}

CTrayIcon::~CTrayIcon() { Remove(); }

TrayPresence CTrayIcon::DesktopPresence() {
  return QSystemTrayIcon::isSystemTrayAvailable() ? TrayPresence::NotificationArea : TrayPresence::Window;
}

// The image is also every window's icon, so the sheet's task-bar entry shows it.
void CTrayIcon::Add(const std::string& iconPath, TrayPresence presence) {
  TakeAway();
  m_IconPath = iconPath;
  m_Presence = presence;
  const QIcon image = LoadImage(iconPath);
  if (image.isNull()) platform::DebugLog("[ZEDO] Tray icon image [%s] not loaded", iconPath.c_str());
  else QApplication::setWindowIcon(image);
  if (presence == TrayPresence::Window) {
    m_Window = MakeWindow(image);
    RefreshTexts();
    m_Window->show();
    return;
  }
  m_Icon = std::make_unique<QSystemTrayIcon>(image);
  m_Icon->setToolTip(ToolTip());
  connect(m_Icon.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
  m_Icon->show();
}

QString CTrayIcon::ToolTip() const {
  return m_Summary.isEmpty() ? QString(kTrayTip) : QString(kTrayTip) + "\n" + m_Summary;
}

void CTrayIcon::ShowSummary(const QString& summary) {
  m_Summary = summary;
  if (m_Icon) m_Icon->setToolTip(ToolTip());
  if (m_Window) m_Window->setToolTip(ToolTip());
}

void CTrayIcon::ShowAttention(const QStringList& registers) {
  for (QAction* action : m_AttentionActions) {
    m_Menu.removeAction(action);
    action->deleteLater();
  }
  m_AttentionActions.clear();
  QAction* first = m_Menu.actions().isEmpty() ? nullptr : m_Menu.actions().front();
  for (const QString& line : registers) {
    auto* action = new QAction(line, &m_Menu);
    action->setEnabled(false);
    action->setObjectName("attention");
    m_Menu.insertAction(first, action);
    m_AttentionActions.push_back(action);
  }
  if (!registers.isEmpty()) m_AttentionActions.push_back(m_Menu.insertSeparator(first));
  QStringList added;
  for (const QString& line : registers)
    if (!m_Attention.contains(line)) added.push_back(line);
  m_Attention = registers;
  if (!added.isEmpty() && m_Icon && QSystemTrayIcon::supportsMessages())
    m_Icon->showMessage(kTrayTip, added.join("\n"), QSystemTrayIcon::Warning);
}

void CTrayIcon::FollowPresence(std::function<TrayPresence()> probe, std::chrono::milliseconds interval) {
  m_PresenceProbe = std::move(probe);
  m_PresenceCheck.start(interval);
}

void CTrayIcon::CheckPresence() {
  if (!m_PresenceProbe || (!m_Icon && !m_Window)) return;
  const TrayPresence presence = m_PresenceProbe();
  if (presence == m_Presence) return;
  platform::DebugLog("[ZEDO] Notification area %s", presence == TrayPresence::NotificationArea ? "appeared" : "gone");
  Add(m_IconPath, presence);
}

// Taken away at shutdown, the icon stays away.
void CTrayIcon::Remove() {
  m_PresenceCheck.stop();
  TakeAway();
}

void CTrayIcon::TakeAway() {
  m_Menu.hide();
  if (m_Icon) m_Icon->hide();
  m_Icon.reset();
  m_Window.reset();
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  if (m_Commands.ModalWindowUp()) {
    m_Commands.RaiseOpenWindow();
    return;
  }
  if (reason != QSystemTrayIcon::Context && reason != QSystemTrayIcon::DoubleClick) return;
  m_Menu.popup(QCursor::pos());
}

// Menu texts follow the language chosen last.
void CTrayIcon::RefreshTexts() {
  m_About->setText(Text("37"));
  m_Show->setText(Text("38"));
  m_Exit->setText(Text("39"));
  if (!m_Window) return;
  for (auto [action, name] : {std::pair{m_About, "about"}, {m_Show, "show"}, {m_Exit, "exit"}})
    if (auto* button = m_Window->findChild<QPushButton*>(name)) button->setText(action->text());
}

// The window shows the texts of the language chosen last whenever it becomes active again. It stays
// until the driver ends: closing it would leave no way to the commands (Exit ends the driver).
bool CTrayIcon::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_Window.get()) return QObject::eventFilter(watched, event);
  if (event->type() == QEvent::WindowActivate) RefreshTexts();
  if (event->type() == QEvent::Close) {
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

// Without a notification area: a small window that stays, with the icon and the three commands.
std::unique_ptr<QWidget> CTrayIcon::MakeWindow(const QIcon& image) {
  auto window = std::make_unique<QWidget>();
  window->setObjectName("trayWindow");
  window->setWindowTitle(kTrayTip);
  window->setWindowIcon(image);
  auto* layout = new QHBoxLayout(window.get());
  auto* picture = new QLabel;
  if (!image.isNull()) picture->setPixmap(image.pixmap(kTrayIconSize / 2, kTrayIconSize / 2));
  layout->addWidget(picture);
  for (auto [action, name] : {std::pair{m_About, "about"}, {m_Show, "show"}, {m_Exit, "exit"}}) {
    auto* button = new QPushButton;
    button->setObjectName(name);
    QAction* command = action;
    connect(button, &QPushButton::clicked, this, [this, command] {
      if (m_Commands.ModalWindowUp()) {
        m_Commands.RaiseOpenWindow();
      } else {
        command->trigger();
      }
    });
    layout->addWidget(button);
  }
  window->installEventFilter(this);
  return window;
}

}  // namespace driver

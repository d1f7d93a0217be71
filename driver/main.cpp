// QorDriver: hosts the fiscal control, watches one ticket folder per register and runs the tickets.
//
//   QorDriver              on a desktop: the driver's window (hidden) with message boxes
//   QorDriver --headless   without windows; also chosen by itself when there is no display
//                          (no DISPLAY and no WAYLAND_DISPLAY) or QT_QPA_PLATFORM=offscreen
//
// A display that is named but cannot be opened ends the program with a line saying so.
//
// SIGTERM and SIGINT close the driver as its window's close does; the exit status is 0 after a clean
// shutdown, 1 when another driver already serves the same base directory or ticket folders.

#include <QApplication>
#include <QCoreApplication>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "driver/close_signals.h"
#include "driver/desktop_shell.h"
#include "driver/main_window.h"
#include "driver/monitor_sink/server_registration.h"
#include "driver/message_box.h"
#include "driver/qor_driver_dlg.h"
#include "driver/widget_message_box.h"
#include "platform/debug_log.h"
#include "platform/display_start.h"
#include "platform/store.h"

namespace {

// Every wait of the shutdown is bounded; this is the last guard against a control that never returns.
// Beyond the stop's wait for the running elements (20 s) and the few seconds of the rest, well inside
// the time a service manager gives a stop (systemd: 90 s).
constexpr std::chrono::seconds kShutdownLimit{45};

bool HasArgument(int argc, char** argv, const char* argument) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], argument) == 0) return true;
  return false;
}

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// A QApplication aborts without a display, so the choice is made before any application exists.
bool RunsHeadless(int argc, char** argv) {
  if (HasArgument(argc, argv, "--headless")) return true;
  const char* platformName = std::getenv("QT_QPA_PLATFORM");
  if (platformName != nullptr && std::strcmp(platformName, "offscreen") == 0) return true;
  return !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY");
}

// Ends the process when a shutdown that has begun does not finish in time.
void ArmShutdownGuard() {
  std::thread([] {
    std::this_thread::sleep_for(kShutdownLimit);
    platform::DebugLog("[ZEDO] Shutdown did not finish in [%d] s, ending", static_cast<int>(kShutdownLimit.count()));
    ::_exit(1);
  }).detach();
}

int RunDriver(driver::IMessageBox& messageBox, driver::IMainWindow* window) {
  platform::Store store;
  driver::CQorDriverDlg dialog({&store, &messageBox, window, {}});
  std::unique_ptr<driver::CCloseSignals> closeSignals = driver::CCloseSignals::Install();
  if (closeSignals) {
    QObject::connect(closeSignals.get(), &driver::CCloseSignals::CloseRequested, &dialog, [&dialog](int signalNumber) {
      platform::DebugLog("[ZEDO] Close requested by signal [%d]", signalNumber);
      dialog.PostClose();
    });
  }
  QObject::connect(&dialog, &driver::CQorDriverDlg::Closing, &dialog, [] { ArmShutdownGuard(); });
  QObject::connect(&dialog, &driver::CQorDriverDlg::Closed, &dialog, [] { QCoreApplication::quit(); });

  // On a desktop: the tray icon with its menu, the About dialog and the administration sheet. The icon
  // needs the base directory, known once start-up has run; it goes away when the driver closes.
  std::unique_ptr<driver::CDesktopShell> desktop;
  if (window != nullptr) desktop = std::make_unique<driver::CDesktopShell>(dialog, store, messageBox);

  dialog.OnInitDialog();
  // Another driver serves these folders: this one ends at once, having touched nothing.
  if (dialog.StartRefused()) return 1;
  if (desktop && !dialog.IsClosed()) desktop->AddTrayIcon();
  int status = QCoreApplication::exec();
  if (dialog.JobsAbandoned()) {
    // Job threads given up at shutdown may still hold the registers and the control: end here,
    // before anything they use is freed.
    ::_exit(status);
  }
  return status;
}

constexpr char kUsage[] =
    "usage: QorDriver [--headless]\n"
    "       QorDriver -RegServer | -UnregServer | --help | --version\n"
    "\n"
    "Runs the fiscal register driver: one ticket folder per register below the base directory, each\n"
    "ticket dropped there executed on its register and answered with a reply file beside it.\n"
    "  --headless    no windows; message boxes go to the log (chosen by itself without a display)\n"
    "  -RegServer    write the driver's own class entries in the store, then end\n"
    "  -UnregServer  remove them, then end\n"
    "The base directory is the folder of the fiscal control module registered in the store\n"
    "($QOR_REGISTRY, else ~/.config/qor/registry); qor-setup prepares one for the calling user.\n";

// "--help" and "--version" answer before anything of the driver starts.
bool HandleInformationSwitch(int argc, char** argv) {
  if (HasArgument(argc, argv, "--help")) {
    std::fputs(kUsage, stdout);
    return true;
  }
  if (HasArgument(argc, argv, "--version")) {
    std::printf("QorDriver %s\n", QOR_VERSION);
    return true;
  }
  return false;
}

}  // namespace

// "RegServer" / "UnregServer": write or remove the driver's own class entries in the store, then end.
bool HandleServerSwitch(int argc, char** argv) {
  driver::ServerSwitch serverSwitch = driver::FindServerSwitch(std::vector<std::string>(argv + 1, argv + argc));
  if (serverSwitch == driver::ServerSwitch::kNone) return false;
  platform::Store store;
  if (serverSwitch == driver::ServerSwitch::kRegister) {
    char path[4096] = {};
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    driver::RegisterDriverServer(store, length > 0 ? std::string(path, static_cast<std::size_t>(length)) : argv[0]);
  } else {
    driver::UnregisterDriverServer(store);
  }
  return true;
}

int main(int argc, char** argv) {
  if (HandleInformationSwitch(argc, argv)) return 0;
  // The driver's registration switches run before anything else.
  if (HandleServerSwitch(argc, argv)) return 0;

  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGIO, SIG_IGN);  // a broken lease on a ticket still open elsewhere must not end the driver

  if (RunsHeadless(argc, argv)) {
    QCoreApplication application(argc, argv);
    driver::CHeadlessMessageBox messageBox;
    return RunDriver(messageBox, nullptr);
  }
  platform::CDisplayStartGuard displayGuard("QorDriver: no display can be opened (" + platform::DisplayInUse() +
                                            "). Start it on a desktop, or with --headless to run without windows.");
  QApplication application(argc, argv);
  displayGuard.Started();
  QApplication::setQuitOnLastWindowClosed(false);  // the hidden window is not the program's end
  driver::CWidgetMessageBox messageBox;
  driver::CMainWindow window;
  return RunDriver(messageBox, &window);
}

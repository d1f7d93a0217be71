// Changing the ticket folder while the driver runs moves every register to the new root: the folder
// monitor stops watching the old folders and watches the new ones. Runs the driver object in this
// process (the change is made from the About dialog, which has no command line), on the emulator and
// the real folder monitor module.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <filesystem>
#include <memory>

#include "driver/qor_driver_dlg.h"
#include "emulator/emulator_control.h"
#include "platform/component_loader.h"
#include "platform/component_module.h"
#include "platform/store.h"
#include "tests/end_to_end/running_driver.h"
#include "testsupport/temp_folder.h"

namespace {

class QuietMessageBox final : public driver::IMessageBox {
 public:
  driver::MessageAnswer Show(const std::string& text, driver::MessageButtons buttons) override {
    shown.push_back(text);
    return driver::DefaultAnswer(buttons);
  }
  std::vector<std::string> shown;
};

bool ProcessEventsUntil(const std::function<bool()>& done, int milliseconds = 20000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST(FolderChange, EveryRegisterMovesToTheNewTicketRoot) {
  testsupport::TempFolder folder;
  const std::string base = folder.Path() + "/";
  testsupport::WriteFile(base + "QorEmulator.ini", "[Registers]\r\n1=1\r\n2=0\r\n");
  testsupport::WriteFile(base + "QorDriver.ini", "[OCXManager]\r\nSingleClient=0\r\n");
  testsupport::WriteFile(base + "Qor.cfg", "[FOLDERS]\nReportFolder=\n");
  platform::Store store(base + "registry");
  std::string error;
  platform::IComponentModule* module = platform::LoadComponentModule(QOR_MONITOR_MODULE, error);
  ASSERT_NE(module, nullptr) << error;
  module->DllRegisterServer(store, QOR_MONITOR_MODULE);

  QuietMessageBox messageBox;
  driver::CDriverEnvironment environment{&store, &messageBox, nullptr, [base](const platform::Store&) {
                                           auto emulator = std::make_shared<emulator::CEmulatorControl>(base);
                                           driver::CControlChoice choice;
                                           choice.m_BaseDirectory = base;
                                           choice.m_Control = emulator.get();
                                           choice.m_Owner = std::move(emulator);
                                           return choice;
                                         }};
  auto dialog = std::make_unique<driver::CQorDriverDlg>(environment);
  dialog->OnInitDialog();
  EXPECT_TRUE(messageBox.shown.empty()) << messageBox.shown.front();  // no message "15": monitored

  auto replied = [](const std::string& path) { return [path] { return testsupport::FileExists(path); }; };
  testsupport::WriteFile(base + "Tickets/1/before.txt", endtoend::Receipt());
  ASSERT_TRUE(ProcessEventsUntil(replied(base + "Tickets/1/before.rep")));

  const std::string newRoot = base + "Moved";
  dialog->ChangeFolders(base + "Reports", newRoot);
  for (int ecr : {1, 2}) EXPECT_TRUE(std::filesystem::is_directory(newRoot + "/" + std::to_string(ecr)));
  EXPECT_NE(testsupport::ReadFile(base + "Qor.cfg").find("TicketFolder=" + newRoot), std::string::npos);

  testsupport::WriteFile(newRoot + "/2/after.txt", endtoend::Receipt());
  ASSERT_TRUE(ProcessEventsUntil(replied(newRoot + "/2/after.rep")));
  EXPECT_EQ(testsupport::ReadFile(newRoot + "/2/after.rep"), "0\n");

  // The old folder is no longer watched: a ticket there waits, while the new folder still answers.
  testsupport::WriteFile(base + "Tickets/1/stale.txt", endtoend::Receipt());
  testsupport::WriteFile(newRoot + "/1/fresh.txt", endtoend::Receipt());
  ASSERT_TRUE(ProcessEventsUntil(replied(newRoot + "/1/fresh.rep")));
  EXPECT_TRUE(testsupport::FileExists(base + "Tickets/1/stale.txt"));
  EXPECT_FALSE(testsupport::FileExists(base + "Tickets/1/stale.rep"));

  // The driver goes only once its close has ended (Closed), as in the program: until then a job thread
  // may still report its end to it.
  bool closed = false;
  QObject::connect(dialog.get(), &driver::CQorDriverDlg::Closed, [&closed] { closed = true; });
  dialog->PostClose();
  ASSERT_TRUE(ProcessEventsUntil([&] { return closed; }));
}

}  // namespace

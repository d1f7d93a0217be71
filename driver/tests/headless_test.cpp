// The real QorDriver program without a display: it starts on the emulator in a temporary base
// directory, lays out its folders, and ends cleanly on SIGTERM or SIGINT; on a display it cannot open
// it, and TillDemo, say so plainly.

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>

#include "testsupport/temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteFile;

struct HeadlessCase {
  const char* label;
  QStringList arguments;
  QString qpaPlatform;  // empty: unset
  bool withDisplay;
  int signalNumber;
};

void PrintTo(const HeadlessCase& c, std::ostream* out) { *out << c.label; }

class HeadlessDriver : public testing::TestWithParam<HeadlessCase> {
 protected:
  // Reads the driver's standard error until it holds text, at most the limit.
  bool WaitForLog(QProcess& driver, const QString& text, std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!m_Log.contains(text) && std::chrono::steady_clock::now() < deadline &&
           driver.state() == QProcess::Running) {
      driver.waitForReadyRead(200);
      m_Log += QString::fromLocal8Bit(driver.readAllStandardError());
    }
    return m_Log.contains(text);
  }
  QString m_Log;
};

TEST_P(HeadlessDriver, StartsLaysOutItsFoldersAndEndsCleanlyOnASignal) {
  const HeadlessCase& c = GetParam();
  TempFolder base;
  WriteFile(base / "QorDriver.ini", "[OCXManager]\r\nSingleClient=0\r\n");
  WriteFile(base / "QorEmulator.ini", "[Registers]\r\n5=1\r\n6=0\r\n");

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QOR_REGISTRY", QString::fromStdString(base / "registry"));
  environment.insert("QOR_DEBUG_LOG", "1");
  environment.remove("WAYLAND_DISPLAY");
  environment.remove("QT_QPA_PLATFORM");
  environment.remove("DISPLAY");
  if (c.withDisplay) environment.insert("DISPLAY", ":97");  // no server behind it
  if (!c.qpaPlatform.isEmpty()) environment.insert("QT_QPA_PLATFORM", c.qpaPlatform);

  QProcess driver;
  driver.setProcessEnvironment(environment);
  driver.setWorkingDirectory(QString::fromStdString(base.Path()));
  driver.setProcessChannelMode(QProcess::SeparateChannels);
  driver.start(QOR_DRIVER_PROGRAM, c.arguments);
  ASSERT_TRUE(driver.waitForStarted(10000));

  // Without a folder monitor the start-up ends with message "15", written to the log headless.
  ASSERT_TRUE(WaitForLog(driver, "[ZEDO] MessageBox: [")) << m_Log.toStdString();
  EXPECT_TRUE(m_Log.contains("DEFAULT Ticket Folder: [Tickets]")) << m_Log.toStdString();
  EXPECT_TRUE(m_Log.contains("[ZEDO] GetPriorityClass = [")) << m_Log.toStdString();
  EXPECT_TRUE(std::filesystem::is_directory(base / "Tickets/5"));
  EXPECT_TRUE(std::filesystem::is_directory(base / "Tickets/6"));

  ASSERT_EQ(::kill(static_cast<pid_t>(driver.processId()), c.signalNumber), 0);
  ASSERT_TRUE(driver.waitForFinished(30000)) << "the shutdown must not hang";
  m_Log += QString::fromLocal8Bit(driver.readAllStandardError());
  EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit) << m_Log.toStdString();
  EXPECT_EQ(driver.exitCode(), 0) << m_Log.toStdString();
  EXPECT_TRUE(m_Log.contains(QString("[ZEDO] Close requested by signal [%1]").arg(c.signalNumber)));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, HeadlessDriver,
    testing::Values(HeadlessCase{"SwitchAndTerm", {"--headless"}, "", true, SIGTERM},
                    HeadlessCase{"NoDisplayAndInterrupt", {}, "", false, SIGINT},
                    HeadlessCase{"OffscreenPlatform", {}, "offscreen", true, SIGTERM}),
    [](const testing::TestParamInfo<HeadlessCase>& info) { return std::string(info.param.label); });

struct CNoDisplayCase {
  const char* m_Label;
  const char* m_Program;
  const char* m_Display;  // null: unset
  const char* m_Said;
};

class WindowProgram : public testing::TestWithParam<CNoDisplayCase> {};

// Without --headless a display that cannot be opened ends the program with its own plain line
// instead of Qt's abort and core dump.
TEST_P(WindowProgram, WithoutADisplayItCanOpenSaysSoPlainly) {
  const CNoDisplayCase& c = GetParam();
  TempFolder base;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QOR_REGISTRY", QString::fromStdString(base / "registry"));
  for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DISPLAY"}) environment.remove(name);
  if (c.m_Display != nullptr) environment.insert("DISPLAY", c.m_Display);
  QProcess program;
  program.setProcessEnvironment(environment);
  program.setWorkingDirectory(QString::fromStdString(base.Path()));
  program.start(c.m_Program, {});
  ASSERT_TRUE(program.waitForFinished(30000));
  const std::string said = QString::fromLocal8Bit(program.readAllStandardError()).toStdString();
  EXPECT_EQ(QProcess::NormalExit, program.exitStatus()) << said;
  EXPECT_EQ(1, program.exitCode()) << said;
  EXPECT_EQ(std::string(c.m_Said) + "\n", said);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, WindowProgram,
    testing::Values(CNoDisplayCase{"DriverOnADisplayThatIsNotThere", QOR_DRIVER_PROGRAM, ":97",
                                   "QorDriver: no display can be opened (DISPLAY=:97). Start it on a desktop, or with "
                                   "--headless to run without windows."},
                    CNoDisplayCase{"TillDemoWithoutDisplay", QOR_TILLDEMO_PROGRAM, nullptr,
                                   "TillDemo: no display can be opened (neither DISPLAY nor WAYLAND_DISPLAY is set). "
                                   "TillDemo is a window program: start it on a desktop."},
                    CNoDisplayCase{"TillDemoOnADisplayThatIsNotThere", QOR_TILLDEMO_PROGRAM, ":97",
                                   "TillDemo: no display can be opened (DISPLAY=:97). TillDemo is a window program: "
                                   "start it on a desktop."}),
    [](const testing::TestParamInfo<CNoDisplayCase>& info) { return std::string(info.param.m_Label); });

}  // namespace

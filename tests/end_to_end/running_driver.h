#pragma once
// The real QorDriver program run as a point-of-sale machine runs it: headless, in a temporary base
// directory, with a temporary store in which the folder monitor module is registered, on the built-in
// register emulator. Tickets are dropped into the register folders the way a point-of-sale program
// writes them, and the replies are read back from the files.

#include <QProcess>
#include <QString>
#include <chrono>
#include <optional>
#include <string>

#include "testsupport/temp_folder.h"

namespace endtoend {

struct CDriverSetup {
  // "QorEmulator.ini": registers 1 to 4 of types 1, 2, 0 and 3 unless set.
  std::string m_EmulatorIni = "[Registers]\r\n1=1\r\n2=2\r\n3=0\r\n4=3\r\n";
  // "QorDriver.ini": no competing program is ended unless set otherwise.
  std::string m_DriverIni = "[OCXManager]\r\nSingleClient=0\r\n";
  bool m_RegisterMonitor = true;
  // The account the driver runs as (user and group of that number) when not 0: its base directory
  // becomes that account's. Needs root.
  unsigned m_DriverAccount = 0;
};

enum class DropStyle {
  kRenamed,    // written under a temporary name, then renamed to ".txt"
  kInPieces,   // written straight into the ".txt" name in several pieces, held open between them
};

class CRunningDriver {
 public:
  explicit CRunningDriver(CDriverSetup setup = {});
  ~CRunningDriver();

  // Starts the driver and waits until its folder monitor runs; false (with the log) when it does not.
  bool Start();
  // SIGTERM, then waits for the end; the exit code, or -1 when it did not end normally.
  int Stop();
  // SIGKILL, as a crash or the out-of-memory killer ends it; true once it has ended. Start runs it
  // again on the same base directory.
  bool Kill();
  // The next Start runs the driver with a fault point (platform/fault_point.h): it ends itself at the
  // point, killed (SIGKILL) or, with terminate, through its ordinary stop (SIGTERM).
  void SetFaultPoint(const std::string& point, bool terminate);
  // The same, but the thread that reaches the point hangs there for good.
  void SetHangPoint(const std::string& point);
  // The next Start runs the driver recording its file operations in the file (platform/file_trace.h).
  void SetFileTrace(const std::string& path) { m_FileTrace = path; }
  // Waits for the driver to end by itself; false when it still runs at the limit.
  bool WaitForEnd(std::chrono::milliseconds limit = std::chrono::seconds(60));
  // Runs a second QorDriver on the same store in folder (its base directory) until it ends by itself;
  // its exit code, or -1 when it was still running after the limit. Its log is left in log.
  int RunSecondDriver(const std::string& folder, std::string& log,
                      std::chrono::seconds limit = std::chrono::seconds(30));

  const std::string& Base() const { return m_Base.Path(); }
  std::string Folder(int ecr) const;
  std::string RegistryPath() const { return m_Base / "registry"; }
  // Where the driver's debug log goes.
  std::string LogPath() const { return m_Base / "driver.log"; }

  // Replaces "QorEmulator.ini" whole, as one rename: the running emulator picks up the new faults.
  void SetEmulatorSettings(const std::string& text);

  void DropTicket(int ecr, const std::string& fileName, const std::string& text,
                  DropStyle style = DropStyle::kRenamed,
                  std::chrono::milliseconds pause = std::chrono::milliseconds(150));
  // The reply file's text once it exists ("<name>.rep", name in lower case), else nothing at the limit.
  std::optional<std::string> WaitForReply(int ecr, const std::string& fileName,
                                          std::chrono::seconds limit = std::chrono::seconds(30));
  std::string ReadTicketFile(int ecr, const std::string& fileName, const std::string& extension) const;
  // What the emulated register has printed so far.
  std::string Journal(int ecr) const;
  // Waits until the log holds text; everything the driver logged so far is in Log().
  bool WaitForLog(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(30));
  std::string Log();

 private:
  void ReadLog();

  testsupport::TempFolder m_Base;
  CDriverSetup m_Setup;
  QProcess m_Process;
  std::string m_Log;
  std::string m_FaultPoint;
  std::string m_FaultSignal;  // QOR_FAULT_SIGNAL: "" kill, "TERM", "HANG"
  std::string m_FileTrace;
};

// One record laid out in fixed columns: the code, then each (offset, text) at its data offset.
std::string Record(const std::string& code, std::initializer_list<std::pair<int, std::string>> parts,
                   std::size_t length);
// The four-element receipt: open ticket, two sales, cash payment.
std::string Receipt(const std::string& firstItem = "Water", const std::string& secondItem = "Bread");

}  // namespace endtoend

#include "tools/status/qor_status.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

#include "control_api/fiscal_control.h"
#include "driver/status/status_file.h"
#include "driver/status/status_json.h"
#include "platform/component_loader.h"
#include "platform/store.h"
#include "tools/status/driver_probe.h"

namespace tools {
namespace {

// The folder by its full path, without a trailing "/" ("" is the current folder).
std::string ShownFolder(const std::string& baseDirectory) {
  std::error_code ignored;
  std::string shown = std::filesystem::absolute(baseDirectory.empty() ? "." : baseDirectory, ignored)
                          .lexically_normal()
                          .string();
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  return shown;
}

CStatusLook NotRunning(const std::string& base, const QFile& file, const std::optional<driver::CDriverStatus>& status) {
  std::string last = " (no status file there)";
  if (file.exists()) {
    std::string when = QFileInfo(file).lastModified().toString("yyyy-MM-dd HH:mm:ss").toStdString();
    last = " (last status written " + when +
           (status ? " by process " + std::to_string(status->m_ProcessId) : std::string()) + ")";
  }
  return {kNoDriver, "", "QorDriver is not running on " + base + last + "\n"};
}

}  // namespace

std::string DefaultBaseDirectory() {
  return platform::RegisteredModuleFolder(platform::Store(), control_api::kFiscalControlClassId).value_or("");
}

CStatusLook LookAtDriver(const std::string& baseDirectory, bool json, Clock::time_point now) {
  const std::string base = ShownFolder(baseDirectory);
  const bool running = ProbeDriver(baseDirectory) == DriverPresence::kRunning;
  QFile file(QString::fromStdString(baseDirectory + driver::kStatusFileName));
  if (!file.open(QIODevice::ReadOnly)) {
    if (!running) return NotRunning(base, file, std::nullopt);
    return {kCannotTell, "", "QorDriver runs on " + base + " but its status file cannot be read: " +
                                 file.errorString().toStdString() + "\n"};
  }
  const QByteArray text = file.readAll();
  std::string error;
  std::optional<driver::CDriverStatus> status = driver::ReadStatusJson(text, error);
  CStatusLook look = running ? CStatusLook() : NotRunning(base, file, status);
  if (json) look.m_Out = text.toStdString();
  if (!running) return look;
  if (!status) {
    look.m_Err = "The status file of QorDriver on " + base + " cannot be read: " + error + "\n";
    return look;
  }
  if (!json) look.m_Out = StatusReport(*status, base, now);
  bool needsPerson = std::any_of(status->m_Registers.begin(), status->m_Registers.end(),
                                 [now](const driver::CRegisterStatus& ecr) { return NeedsLook(ecr, now); });
  look.m_Exit = needsPerson ? kNeedsPerson : kAllWell;
  return look;
}

}  // namespace tools

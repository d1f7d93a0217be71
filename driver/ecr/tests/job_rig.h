#pragma once
// What the job tests share: a job host over the control rig (the emulated registers with their event
// handlers on a window thread of their own), the files of one ticket, and bounded waits.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver/control/testing/control_rig.h"
#include "driver/control/wait_io_direct.h"
#include "driver/ecr/job_host.h"
#include "driver/ecr/qor_thread.h"
#include "platform/named_mutex.h"
#include "testsupport/temp_folder.h"

namespace driver::ecrtest {

inline constexpr std::chrono::seconds kGenerous{20};

// Waits for a condition that no event announces (a file, a log line), checking every few
// milliseconds, at most kGenerous.
inline bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kGenerous;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A control that forwards to the rig's control and lets a test act just before a call goes out: cause
// a fault at an exact point of a job, or look at the files the job has written so far.
class CControlSpy final : public IFiscalControl {
 public:
  using Hook = std::function<void(const std::string& method, std::int32_t ecr, const std::string& text)>;
  explicit CControlSpy(IFiscalControl& inner) : m_Inner(inner) {}
  void SetHook(Hook hook) {
    std::lock_guard guard(m_Lock);
    m_Hook = std::move(hook);
  }

  void SetEventSink(IFiscalControlEvents* sink) override { m_Inner.SetEventSink(sink); }
  void SetBooleanProperty(int dispid, bool value) override { m_Inner.SetBooleanProperty(dispid, value); }
  bool GetBooleanProperty(int dispid) const override { return m_Inner.GetBooleanProperty(dispid); }
  std::string GetReportFolder() const override { return m_Inner.GetReportFolder(); }
  void SetReportFolder(const std::string& folder) override { m_Inner.SetReportFolder(folder); }
  ControlStatus Open(const std::string& argument) override { return m_Inner.Open(argument); }
  ControlStatus Close() override { return m_Inner.Close(); }
  ControlStatus Write(std::int32_t ecr, std::int32_t mode, const std::string& element, std::int32_t& job) override {
    Before("Write", ecr, element);
    return m_Inner.Write(ecr, mode, element, job);
  }
  ControlStatus Request(std::int32_t ecr, std::int32_t code, std::string& text) override {
    Before("Request", ecr, std::to_string(code));
    if (std::optional<ControlStatus> status = Overridden("Request", ecr, std::to_string(code))) return *status;
    return m_Inner.Request(ecr, code, text);
  }
  ControlStatus IODirect(std::int32_t ecr, const std::string& command, std::int16_t argument) override {
    Before("IODirect", ecr, command);
    if (std::optional<ControlStatus> status = Overridden("IODirect", ecr, command)) return *status;
    return m_Inner.IODirect(ecr, command, argument);
  }
  // A status the control returns for an IODirect or a Request (text: its code) without passing it on:
  // a link that refuses a command, or one that accepts it and loses it on the way.
  using Override = std::function<std::optional<ControlStatus>(const std::string& method, std::int32_t ecr,
                                                              const std::string& text)>;
  void SetOverride(Override override) {
    std::lock_guard guard(m_Lock);
    m_Override = std::move(override);
  }
  ControlStatus ClearOutput(std::int32_t ecr) override { return m_Inner.ClearOutput(ecr); }
  ControlStatus BeginJob(std::int32_t ecr) override { return m_Inner.BeginJob(ecr); }
  ControlStatus EndJob(std::int32_t ecr) override { return m_Inner.EndJob(ecr); }

 private:
  void Before(const char* method, std::int32_t ecr, const std::string& text) {
    Hook hook;
    {
      std::lock_guard guard(m_Lock);
      hook = m_Hook;
    }
    if (hook) hook(method, ecr, text);
  }

  std::optional<ControlStatus> Overridden(const char* method, std::int32_t ecr, const std::string& text) {
    Override override;
    {
      std::lock_guard guard(m_Lock);
      override = m_Override;
    }
    return override ? override(method, ecr, text) : std::nullopt;
  }

  IFiscalControl& m_Inner;
  std::mutex m_Lock;
  Hook m_Hook;
  Override m_Override;
};

// The driver as a job sees it, over the control rig.
class CTestJobHost final : public IJobHost {
 public:
  explicit CTestJobHost(CControlRig& rig) : m_Rig(rig), m_Spy(rig.Control()) {}

  IFiscalControl& Control() override { return m_Spy; }
  platform::CFlushGroup& Flushes() override { return m_Flushes; }
  CJobOptions Options() const override {
    std::lock_guard guard(m_Lock);
    return m_Options;
  }
  ControlStatus WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) override {
    return driver::WaitIODirect(m_Spy, ecr.m_EcrId, command, argument, ecr);
  }
  bool IsSheetOpen() const override { return m_SheetOpen; }
  void ShowSheetStatus(const std::string& text) override {
    std::lock_guard guard(m_Lock);
    m_SheetLines.push_back(text);
  }
  void PostStatusAlert(std::int32_t ecr) override {}
  std::string MessageText(int number) const override { return "message " + std::to_string(number); }
  void JobThreadEnded(CJobThreadIdentity thread) override {
    std::lock_guard guard(m_Lock);
    m_Ended.push_back(thread);
    m_EndedChanged.notify_all();
  }

  void SetOptions(CJobOptions options) {
    std::lock_guard guard(m_Lock);
    m_Options = options;
  }
  CControlSpy& Spy() { return m_Spy; }
  std::vector<std::string> SheetLines() const {
    std::lock_guard guard(m_Lock);
    return m_SheetLines;
  }
  std::vector<CJobThreadIdentity> Ended() const {
    std::lock_guard guard(m_Lock);
    return m_Ended;
  }
  // Waits until count job threads have reported their end.
  bool WaitForEnded(std::size_t count) {
    std::unique_lock lock(m_Lock);
    return m_EndedChanged.wait_for(lock, kGenerous, [&] { return m_Ended.size() >= count; });
  }

  std::atomic<bool> m_SheetOpen{false};

 private:
  CControlRig& m_Rig;
  CControlSpy m_Spy;
  platform::CFlushGroup m_Flushes{platform::CFlushGroup::Mode::kDurable};
  mutable std::mutex m_Lock;
  std::condition_variable m_EndedChanged;
  CJobOptions m_Options;
  std::vector<std::string> m_SheetLines;
  std::vector<CJobThreadIdentity> m_Ended;
};

// The files of one ticket in a register's ticket folder.
struct CTicketFiles {
  std::string m_Document;
  std::string m_ReplyWork;
  std::string m_Warnings;
  std::string m_Reply;

  CTicketFiles(const std::string& folder, const std::string& name)
      : m_Document(folder + "/" + name + "_0000.xmm"),
        m_ReplyWork(folder + "/" + name + ".mag"),
        m_Warnings(folder + "/" + name + ".inf"),
        m_Reply(folder + "/" + name + ".rep") {}

  void WriteDocument(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    testsupport::WriteFile(m_Document, text);
  }
  std::string Reply() const { return testsupport::ReadFile(m_Reply); }
  std::string Warnings() const { return testsupport::ReadFile(m_Warnings); }
  CJobOrder Order(CEcrContext& ecr) const {
    return {&ecr, CDocumentJob{m_Document, m_ReplyWork, m_Warnings, m_Reply}};
  }
};

// The warning file's text for a list of (index, code) lines.
inline std::string WarningLines(const std::vector<std::pair<int, int>>& lines) {
  std::string text;
  char line[32];
  for (auto [index, code] : lines) {
    std::snprintf(line, sizeof line, "%3d%5d\n", index, code);
    text += line;
  }
  return text;
}

// The calls of the emulator's call log (events and status updates left out).
inline std::vector<std::string> CallsOnly(const std::vector<std::string>& log) {
  std::vector<std::string> calls;
  for (const std::string& entry : log) {
    if (entry.rfind("event ", 0) != 0) calls.push_back(entry);
  }
  return calls;
}

// The two mutexes the driver makes for a register at start-up, with the stop mutex owned by the
// calling thread (standing for the window thread).
inline void GiveMutexes(CEcrContext& ecr, const std::string& stem) {
  static std::atomic<int> counter{0};
  std::string suffix = stem + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  ecr.GiveMutexes(platform::NamedMutex::Create("job-" + suffix, false).m_Mutex,
                  platform::NamedMutex::Create("stop-" + suffix, true).m_Mutex);
}

// Shortened time limits, for registers that are made not to answer.
inline void ShortenLimits(CEcrContext& ecr) {
  ecr.SetLimits({std::chrono::milliseconds(150), std::chrono::milliseconds(300), ecr.Limits().m_Utility});
}

inline void ShortenExchange(CEcrContext& ecr, std::chrono::milliseconds limit) {
  CWaitLimits limits = ecr.Limits();
  limits.m_Exchange = limit;
  ecr.SetLimits(limits);
}

}  // namespace driver::ecrtest

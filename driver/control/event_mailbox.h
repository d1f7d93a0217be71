#pragma once
// CEventMailbox: what the control's events bring for one register, kept until the job on the register
// takes it. The control-event handlers fill it on the window thread; the job arms what the register
// will ask for and awaits what it answers, through its register session, on the job's thread.
//
// One lock guards the contents; a separate one carries the change signal, so a wait's condition may
// read the mailbox. Every change wakes the waits; once the waits are cancelled (shutdown) each returns.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver/control/status_parse.h"

namespace driver {

// The data questions a register asks while an exchange command runs: the header lines ("B85") and the
// department, PLU and offer uploads ("B80", "B81", "B84").
enum class DataQuestion { kHeader, kDepartments, kPlus, kOffers };

class CEventMailbox {
 public:
  // --- Filled by the control-event handlers ---
  // The result is in place before the completion that tells the job to read it.
  void WriteCompleted(std::int32_t result) { Change([&] { m_JobResult = result; m_WorkComplete = true; }); }
  void IoDirectCompleted(std::int32_t result, std::string answer) {
    Change([&] { m_IoDirectResult = result; m_IoDirectAnswer = std::move(answer); m_IoDirectComplete = true; });
  }
  // Keeps the status text and reads the register's status from it (see ParseEcrStatus).
  StatusFollowUp StatusReceived(std::string text, std::int32_t ecrType);
  // Counts the question, and answers it when it is an armed exchange's: its lines in order, then "*"
  // once, which disarms the exchange. Nothing for any other question.
  std::optional<std::string> Answer(const std::string& question);
  // The header exchange's row: 1 before its first answer, 2 and 3 after the first and second.
  std::int32_t HeaderRow() const { return Read(ExchangeOf(DataQuestion::kHeader).m_Answered) + 1; }
  void LastPriceReceived(std::string price) {
    Change([&] { m_LastPrice = std::move(price); m_LastPriceReady = true; });
  }
  void ReportSaved(std::string path) { Change([&] { m_Report = {true, std::move(path)}; }); }
  void HistorySaved(std::string path) { Change([&] { m_History = {true, std::move(path)}; }); }
  // A report the job asked for quietly is not shown to a person.
  bool ReportIsQuiet() const { return Read(m_QuietReport); }

  // --- Armed and awaited by the job on the register ---
  void ExpectWrite() { Change([&] { m_WorkComplete = false; }); }
  bool WriteDone() const { return Read(m_WorkComplete); }
  std::int32_t WriteResult() const { return Read(m_JobResult); }
  void ExpectIoDirect() { Change([&] { m_IoDirectComplete = false; }); }
  bool IoDirectDone() const { return Read(m_IoDirectComplete); }
  std::int32_t IoDirectResult() const { return Read(m_IoDirectResult); }  // 0, or the register's refusal
  std::string IoDirectAnswer() const { return Read(m_IoDirectAnswer); }   // its text with the completion

  CEcrStatus Status() const { return Read(m_Status); }

  // Hands the register the lines it will fetch, one per question, while the exchange is armed.
  void Arm(DataQuestion question, std::vector<std::string> lines);
  void Disarm(DataQuestion question);
  bool Armed(DataQuestion question) const { return Read(ExchangeOf(question).m_Armed); }
  // Data questions asked so far: a register that keeps asking is still at work on the command.
  std::int32_t QuestionsAsked() const { return Read(m_QuestionsAsked); }

  void ExpectLastPrice() { Change([&] { m_LastPriceReady = false; }); }
  bool LastPriceReady() const { return Read(m_LastPriceReady); }
  std::string LastPrice() const { return Read(m_LastPrice); }

  // quiet: the saved file goes to the job alone, not to a person.
  void ExpectReport(bool quiet) { Change([&] { m_QuietReport = quiet; m_Report = {}; }); }
  bool ReportReady() const { return Read(m_Report.m_Ready); }
  std::string ReportPath() const { return Read(m_Report.m_Path); }
  void ExpectHistory(bool quiet) { Change([&] { m_QuietReport = quiet; m_History = {}; }); }
  bool HistoryReady() const { return Read(m_History.m_Ready); }
  std::string HistoryPath() const { return Read(m_History.m_Path); }
  // A finished ticket leaves no saved path for the next one to take.
  void ForgetSavedPaths() { Change([&] { m_Report.m_Path.clear(); m_History.m_Path.clear(); }); }

  // --- Waits ---
  // Waits until done() holds, the deadline passes, or the waits are cancelled; returns done().
  template <class Predicate>
  bool WaitUntil(Predicate done, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_SignalLock);
    m_Signal.wait_until(lock, deadline, [&] { return done() || Cancelled(); });
    return done();
  }
  // The same without a time limit.
  template <class Predicate>
  bool WaitUntil(Predicate done) {
    std::unique_lock lock(m_SignalLock);
    m_Signal.wait(lock, [&] { return done() || Cancelled(); });
    return done();
  }
  // Wakes every wait to look again at once.
  void Wake();
  void Cancel() { Change([&] { m_Cancelled = true; }); }
  bool Cancelled() const { return Read(m_Cancelled); }

 private:
  template <class T>
  T Read(const T& value) const {
    std::lock_guard guard(m_Lock);
    return value;
  }
  // Changes the contents under the lock, then wakes the waits.
  template <class Changing>
  void Change(Changing changing) {
    {
      std::lock_guard guard(m_Lock);
      changing();
    }
    Wake();
  }
  struct CExchange {
    std::deque<std::string> m_Lines;
    bool m_Armed = false;
    std::int32_t m_Answered = 0;
  };
  struct CSavedFile {
    bool m_Ready = false;
    std::string m_Path;
  };
  CExchange& ExchangeOf(DataQuestion question) { return m_Exchanges[static_cast<std::size_t>(question)]; }
  const CExchange& ExchangeOf(DataQuestion question) const {
    return m_Exchanges[static_cast<std::size_t>(question)];
  }

  mutable std::mutex m_Lock;
  bool m_WorkComplete = false;
  std::int32_t m_JobResult = 0;
  bool m_IoDirectComplete = false;
  std::int32_t m_IoDirectResult = 0;
  std::string m_IoDirectAnswer;
  CEcrStatus m_Status;
  std::array<CExchange, 4> m_Exchanges;
  std::int32_t m_QuestionsAsked = 0;
  bool m_LastPriceReady = false;
  std::string m_LastPrice;
  bool m_QuietReport = false;
  CSavedFile m_Report;
  CSavedFile m_History;
  bool m_Cancelled = false;

  std::mutex m_SignalLock;
  std::condition_variable m_Signal;
};

}  // namespace driver

#pragma once
// CEcrContext: everything the driver knows of one register. Created at start-up from the control's
// register list and owned by the register list; job threads reach it as m_current.
//
// The 32-bit flags are written by the control's event handlers on the window thread and polled by job
// threads, so each is an atomic word. Texts that both sides touch while a job runs are CSharedText.
// The administration sheet's values are not here: the sheet keeps them (driver/admin/sheet_memory.h)
// and each job takes its own copy. What a running job hands to the event handlers (upload queues,
// header answers) is written before the flag that hands it over (the queue's armed flag,
// m_ExchangePending) is set.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {
class NamedMutex;
}

namespace driver {

// A text written by one thread and read by another.
class CSharedText {
 public:
  std::string Get() const {
    std::lock_guard guard(m_Lock);
    return m_Text;
  }
  void Set(std::string text) {
    std::lock_guard guard(m_Lock);
    m_Text = std::move(text);
  }
  bool Equals(std::string_view text) const {
    std::lock_guard guard(m_Lock);
    return m_Text == text;
  }
  bool Empty() const {
    std::lock_guard guard(m_Lock);
    return m_Text.empty();
  }

 private:
  mutable std::mutex m_Lock;
  std::string m_Text;
};

using Flag = std::atomic<std::int32_t>;

// The six header lines a running job hands to the B85 exchange, which answers them on the window thread.
class CExchangeAnswers {
 public:
  using Lines = std::array<std::string, 3>;
  void Set(const Lines& answerA, const Lines& answerB) {
    std::lock_guard guard(m_Lock);
    m_AnswerA = answerA;
    m_AnswerB = answerB;
  }
  Lines A() const {
    std::lock_guard guard(m_Lock);
    return m_AnswerA;
  }
  Lines B() const {
    std::lock_guard guard(m_Lock);
    return m_AnswerB;
  }

 private:
  mutable std::mutex m_Lock;
  Lines m_AnswerA;
  Lines m_AnswerB;
};

// Time limits of the waits on a register. The driver keeps these values; tests shorten them.
struct CWaitLimits {
  std::chrono::milliseconds m_Exchange{5000};     // WaitIODirect, keyboard lock, header, last total
  std::chrono::milliseconds m_Completion{15000};  // Write and IODirect completion, report
  std::chrono::milliseconds m_Utility{50000};     // the sheet's utilities waiting for the job mutex
};

class CEcrContext {
 public:
  CEcrContext() = default;
  CEcrContext(std::int32_t id, std::int32_t type) : m_EcrId(id), m_EcrType(type) {}
  CEcrContext(const CEcrContext&) = delete;
  CEcrContext& operator=(const CEcrContext&) = delete;

  // Types 1 and 2 speak the "0;" command family, 0 and 3 the "*" family.
  bool IsZeroFamily() const { return m_EcrType == 1 || m_EcrType == 2; }

  // Event handlers call this after changing any flag, so waiting jobs look again at once
  // instead of at their next poll.
  void SignalChange() {
    { std::lock_guard guard(m_SignalLock); }
    m_Signal.notify_all();
  }

  // Waits until done() holds, the deadline passes, or the context is cancelled; returns done().
  template <class Predicate>
  bool WaitUntil(Predicate done, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_SignalLock);
    m_Signal.wait_until(lock, deadline, [&] { return done() || m_Cancelled.load() != 0; });
    return done();
  }
  // The same without a time limit.
  template <class Predicate>
  bool WaitUntil(Predicate done) {
    std::unique_lock lock(m_SignalLock);
    m_Signal.wait(lock, [&] { return done() || m_Cancelled.load() != 0; });
    return done();
  }

  // Set when the driver stops: the running job finishes the element under way, then leaves its
  // document and its progress for the next start.
  void Stop() {
    m_Stopping = 1;
    SignalChange();
  }
  bool IsStopping() const { return m_Stopping.load() != 0; }

  // Set at shutdown: every wait of a job on this register returns, and the job writes nothing more.
  void Cancel() {
    m_Cancelled = 1;
    SignalChange();
  }
  bool IsCancelled() const { return m_Cancelled.load() != 0; }

  std::shared_ptr<platform::NamedMutex> m_hJobMutex;
  std::shared_ptr<platform::NamedMutex> m_hStopMutex;

  std::int32_t m_EcrId = -1;
  std::int32_t m_EcrType = -1;

  // Completion of the last Write / IODirect.
  Flag m_WorkComplete{0};
  Flag m_JobResult{0};
  Flag m_IoDirectComplete{0};
  Flag m_IoDirectResult{0};  // 0, or the register's code for refusing the last IODirect
  CSharedText m_IoDirectAnswer;  // the register's text with the last DirectIOEvent, for the sheet

  // Register status, from the last status text.
  CSharedText m_StatusText;
  CSharedText m_Hello;  // up to 199 characters
  Flag m_TicketOpen{0};
  Flag m_GenericError{0};
  CSharedText m_Operating;
  Flag m_PaperOut{0};
  Flag m_Remote{0};
  Flag m_KeyLocked{0};
  CSharedText m_HelloCode;    // characters 30-37 of the hello text; empty until received
  CSharedText m_HelloSuffix;  // characters 41-42 of the hello text

  CSharedText m_TicketFolder;

  // Header transfer (B85 exchange).
  Flag m_ExchangePending{0};
  Flag m_ExchangeRow{1};
  CExchangeAnswers m_ExchangeAnswers;    // what the running header job sends
  Flag m_ExchangeStatus{0};

  // Zero-family uploads: lines handed out one per data question while armed.
  std::deque<std::string> m_QueueB80;
  std::deque<std::string> m_QueueB81;
  std::deque<std::string> m_QueueB84;
  Flag m_QueueB80Armed{0};
  Flag m_QueueB81Armed{0};
  Flag m_QueueB84Armed{0};
  // Data questions asked so far: a register that keeps asking is still at work on the command.
  Flag m_QuestionsAsked{0};

  CSharedText m_LastPrice;
  Flag m_LastPriceReady{0};

  Flag m_QuietReport{0};
  Flag m_ReportReady{0};
  Flag m_HistoryReady{0};
  CSharedText m_ReportPath;
  CSharedText m_HistoryPath;

  std::int32_t m_CustomerDigits = 20;
  std::int32_t m_OperatorDigits = 20;

  CWaitLimits m_Limits;

 private:
  std::mutex m_SignalLock;
  std::condition_variable m_Signal;
  Flag m_Stopping{0};
  Flag m_Cancelled{0};
};

}  // namespace driver

#pragma once
// CShopWatch: what a shop sees of its registers without a desktop. On the window thread it keeps, per
// register, the ticket under way, the last reply, today's replies by code and the last trouble the
// register reported, and from them and the registers' own status it writes "status.json" (and the
// metrics file when "MetricsFile" is set), tells systemd a one-line summary, and tells the tray.
//
// A change is written at most five times a second (a burst of tickets costs one write per 200 ms), and
// less often where a write takes long (a thousand registers): never more than a twentieth of the
// window thread's time; a
// one-second look catches what changes with time alone (a ticket waiting more than a minute, the
// day's end). A register's status is looked at when the register sends it and when a job on it
// begins, answers or ends, never by going over every register: a thousand idle registers cost nothing. systemd's keep-alives are sent from the window thread's own timer, so
// a window thread that hangs stops them and the service manager restarts the driver.

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "driver/control/ecr_context.h"
#include "driver/ecr/job_host.h"
#include "driver/status/metrics_text.h"
#include "driver/status/status_snapshot.h"
#include "driver/tickets/document_job.h"
#include "platform/service_notify.h"

namespace driver {

// What the watch reads of the driver, on the window thread.
struct CShopWatchLinks {
  std::string m_BaseDirectory;
  std::string m_MetricsFile;  // empty: no metrics
  bool m_Durable = true;
  std::function<std::string()> m_TicketRoot;
  std::function<const std::vector<std::shared_ptr<CEcrContext>>&()> m_Registers;
  std::function<const CEcrContext*(std::int32_t)> m_FindEcr;
  std::function<std::size_t(std::int32_t)> m_TicketJobs;  // started and not ended, per register
  std::function<std::uint64_t()> m_FlushRounds;
  std::function<std::uint64_t()> m_WriterWaits;
};

class CShopWatch final : public QObject {
  Q_OBJECT
 public:
  explicit CShopWatch(CShopWatchLinks links, QObject* parent = nullptr);

  // Start-up has finished: the first status is written and systemd hears READY=1.
  void Started();
  // The shutdown has begun: every register is stopping, and systemd hears STOPPING=1.
  void Stopping();

  // From the jobs and the intake, on the window thread. documentPath: the ticket job's document;
  // empty for a job of the administration sheet.
  void JobBegan(CJobThreadIdentity job, std::int32_t ecr, const std::string& documentPath);
  void JobEnded(CJobThreadIdentity job);
  void TicketAnswered(const CTicketAnswer& answer);
  // The register sent its status (an event of the control).
  void StatusReceived(std::int32_t ecr);

  // The status as it is now; the last summary line and the registers that need a person.
  CDriverStatus Snapshot() const;
  QString Summary() const { return QString::fromStdString(m_Summary); }
  const QStringList& Attention() const { return m_Attention; }

 signals:
  // The summary line changed ("4 registers: 3 ready, 1 paper out; 1,204 tickets today").
  void SummaryChanged(const QString& summary);
  // The registers that need a person changed: one line each, empty when none does.
  void AttentionChanged(const QStringList& registers);

 private:
  struct CJobUnderWay {
    std::int32_t m_Ecr = 0;
    std::string m_Ticket;  // empty for a job of the sheet
    std::chrono::system_clock::time_point m_Since;
    std::chrono::steady_clock::time_point m_Began;
  };
  struct CRegisterFacts {
    std::optional<CLastReply> m_LastReply;
    std::map<int, int> m_RepliesToday;
    std::optional<CTrouble> m_Trouble;
    std::string m_TroubleNow;  // the trouble the register reports at the last look; empty when none
    bool m_NoAnswer = false;   // its last ticket was given up: the register did not answer
  };

  void Touch();
  // The one-second look: refreshes only when something may have changed, so a thousand idle
  // registers cost next to nothing.
  void Look();
  void Refresh();
  void WriteMetricsWhenDue(const CDriverStatus& status);
  void KeepAlive();
  RegisterState StateOf(const CEcrContext& ecr, const CRegisterFacts& facts, const CJobUnderWay* job) const;
  // What the register reports now in words; empty when nothing is wrong.
  static std::string ReportedTrouble(const CEcrContext& ecr);
  // True when a register's reported trouble changed since it was last looked at.
  bool LookAtRegister(const CEcrContext& ecr);
  void LookAt(std::int32_t ecr);
  bool LookAtRegisters();
  std::size_t LongTickets() const;
  void StartNewDay();

  CShopWatchLinks m_Links;
  platform::CServiceNotifier m_Notifier;
  std::chrono::system_clock::time_point m_StartedAt;
  std::chrono::system_clock::time_point m_NextDay;
  bool m_Started = false;
  bool m_Stopping = false;
  std::map<std::int32_t, CRegisterFacts> m_Facts;
  std::vector<std::pair<CJobThreadIdentity, CJobUnderWay>> m_Jobs;  // jobs holding their register
  CMetricsCounters m_Counters;
  CDriverStatus m_Written;
  bool m_EverWritten = false;
  std::size_t m_LongTickets = 0;
  bool m_MetricsDue = false;
  std::optional<std::chrono::steady_clock::time_point> m_MetricsWritten;
  std::string m_Summary;
  QStringList m_Attention;
  QTimer m_Soon;
  QTimer m_Look;
  QTimer m_KeepAlive;
};

}  // namespace driver

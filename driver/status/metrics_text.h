#pragma once
// The metrics file, in Prometheus's text exposition format for node_exporter's textfile collector:
//   qor_tickets_total{register,code}            counter: tickets answered today with that reply code
//   qor_ticket_duration_seconds{register}       histogram: from a ticket's job beginning to its reply
//   qor_register_state{register,state}          gauge: 1 for the register's state, 0 for the others
//   qor_tickets_waiting{register}               gauge
//   qor_writer_waits_total, qor_flush_rounds_total   counters since the driver started
//   qor_driver_start_time_seconds               gauge: seconds since 1970

#include <QByteArray>
#include <array>
#include <cstdint>
#include <map>

#include "driver/status/status_snapshot.h"

namespace driver {

// Upper bounds in seconds; a last, unbounded bucket follows.
inline constexpr std::array<double, 10> kDurationBuckets = {0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30, 60};

class CDurationHistogram {
 public:
  void Add(double seconds);
  // Observations up to the bound of bucket index (the unbounded one at kDurationBuckets.size()).
  std::uint64_t AtMost(size_t index) const;
  double Sum() const { return m_Sum; }
  std::uint64_t Count() const { return m_Count; }

 private:
  std::array<std::uint64_t, kDurationBuckets.size()> m_InBucket{};  // each bounded bucket on its own
  double m_Sum = 0;
  std::uint64_t m_Count = 0;
};

// What the driver counts since it started, beside what the status shows.
struct CMetricsCounters {
  std::map<int, CDurationHistogram> m_TicketDurations;  // by register number
  std::uint64_t m_WriterWaits = 0;                      // tickets still held open by their writer when found
  std::uint64_t m_FlushRounds = 0;                      // group flushes of durable files
};

QByteArray MetricsText(const CDriverStatus& status, const CMetricsCounters& counters);

}  // namespace driver

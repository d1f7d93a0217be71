#include "driver/status/metrics_text.h"

#include <charconv>
#include <chrono>
#include <string>

#include "driver/status/status_time.h"

namespace driver {
namespace {

std::string Number(double value) {
  char text[32];
  auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string Label(int number) { return "register=\"" + std::to_string(number) + "\""; }

void Family(std::string& out, const char* name, const char* type, const char* help) {
  out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

void Sample(std::string& out, const std::string& name, const std::string& labels, const std::string& value) {
  out += name + (labels.empty() ? "" : "{" + labels + "}") + " " + value + "\n";
}

void Durations(std::string& out, const CDriverStatus& status, const CMetricsCounters& counters) {
  Family(out, "qor_ticket_duration_seconds", "histogram", "Time from a ticket's job beginning to its reply.");
  const CDurationHistogram none;
  for (const CRegisterStatus& ecr : status.m_Registers) {
    auto found = counters.m_TicketDurations.find(ecr.m_Number);
    const CDurationHistogram& histogram = found == counters.m_TicketDurations.end() ? none : found->second;
    const std::string ecrLabel = Label(ecr.m_Number);
    for (size_t index = 0; index <= kDurationBuckets.size(); ++index) {
      std::string bound = index < kDurationBuckets.size() ? Number(kDurationBuckets[index]) : "+Inf";
      Sample(out, "qor_ticket_duration_seconds_bucket", ecrLabel + ",le=\"" + bound + "\"",
             std::to_string(histogram.AtMost(index)));
    }
    Sample(out, "qor_ticket_duration_seconds_sum", ecrLabel, Number(histogram.Sum()));
    Sample(out, "qor_ticket_duration_seconds_count", ecrLabel, std::to_string(histogram.Count()));
  }
}

void Registers(std::string& out, const CDriverStatus& status) {
  Family(out, "qor_tickets_total", "counter",
         "Tickets answered since local midnight or the driver's start, by reply code.");
  for (const CRegisterStatus& ecr : status.m_Registers)
    for (const auto& [code, count] : ecr.m_RepliesToday)
      Sample(out, "qor_tickets_total", Label(ecr.m_Number) + ",code=\"" + std::to_string(code) + "\"",
             std::to_string(count));
  Family(out, "qor_register_state", "gauge", "1 for the state the register is in, 0 for the others.");
  for (const CRegisterStatus& ecr : status.m_Registers)
    for (RegisterState state : kRegisterStates)
      Sample(out, "qor_register_state",
             Label(ecr.m_Number) + ",state=\"" + std::string(RegisterStateName(state)) + "\"",
             ecr.m_State == state ? "1" : "0");
  Family(out, "qor_tickets_waiting", "gauge", "Taken tickets waiting for the register.");
  for (const CRegisterStatus& ecr : status.m_Registers)
    Sample(out, "qor_tickets_waiting", Label(ecr.m_Number), std::to_string(ecr.m_TicketsWaiting));
}

}  // namespace

void CDurationHistogram::Add(double seconds) {
  for (size_t index = 0; index < kDurationBuckets.size(); ++index) {
    if (seconds <= kDurationBuckets[index]) {
      ++m_InBucket[index];
      break;
    }
  }
  m_Sum += seconds;
  ++m_Count;
}

std::uint64_t CDurationHistogram::AtMost(size_t index) const {
  if (index >= kDurationBuckets.size()) return m_Count;
  std::uint64_t count = 0;
  for (size_t below = 0; below <= index; ++below) count += m_InBucket[below];
  return count;
}

QByteArray MetricsText(const CDriverStatus& status, const CMetricsCounters& counters) {
  std::string out;
  Registers(out, status);
  Durations(out, status, counters);
  Family(out, "qor_writer_waits_total", "counter", "Tickets found still held open by their writer.");
  Sample(out, "qor_writer_waits_total", "", std::to_string(counters.m_WriterWaits));
  Family(out, "qor_flush_rounds_total", "counter", "Shared flushing rounds of the durable files.");
  Sample(out, "qor_flush_rounds_total", "", std::to_string(counters.m_FlushRounds));
  if (auto started = StatusInstant(status.m_StartedAt)) {
    Family(out, "qor_driver_start_time_seconds", "gauge", "When the driver started, in seconds since 1970.");
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(started->time_since_epoch()).count();
    Sample(out, "qor_driver_start_time_seconds", "", std::to_string(seconds));
  }
  return QByteArray::fromStdString(out);
}

}  // namespace driver

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "driver/status/metrics_text.h"
#include "driver/status/status_file.h"
#include "driver/status/tests/status_sample.h"
#include "testsupport/temp_folder.h"

namespace {

using testsupport::TempFolder;

// Debian's Python, not whatever python3 comes first on PATH: the parser is Debian's package.
constexpr const char* kPython = "/usr/bin/python3";

// Every family as "family NAME TYPE", every sample as "NAME LABEL=VALUE,... VALUE", as the reference
// parser of the format reads the file.
constexpr const char* kParse = R"(
import sys
from prometheus_client.parser import text_string_to_metric_families
for family in text_string_to_metric_families(open(sys.argv[1]).read()):
    print("family", family.name, family.type)
    for sample in family.samples:
        labels = ",".join(k + "=" + v for k, v in sorted(sample.labels.items()))
        print(sample.name, labels, "%g" % sample.value)
)";

int ExitStatusOf(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> Lines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

TEST(MetricsText, TheReferenceParserReadsEveryFamilyAndTheBuckets) {
  if (ExitStatusOf(std::string(kPython) + " -c 'import prometheus_client' 2>/dev/null") != 0)
    GTEST_SKIP() << kPython << " cannot import prometheus_client (Debian's python3-prometheus-client)";
  TempFolder folder;
  driver::CDriverStatus status = testsupport::SampleStatus(std::chrono::system_clock::now());
  status.m_Registers[1].m_State = driver::RegisterState::kPaperOut;
  driver::CMetricsCounters counters;
  for (double seconds : {0.03, 0.2, 3.0, 100.0}) counters.m_TicketDurations[1].Add(seconds);
  counters.m_WriterWaits = 5;
  counters.m_FlushRounds = 77;
  std::string error;
  ASSERT_TRUE(driver::WriteStatusFile(folder / "qor.prom", driver::MetricsText(status, counters), error)) << error;
  testsupport::WriteFile(folder / "parse.py", kParse);

  ASSERT_EQ(ExitStatusOf(std::string(kPython) + " " + (folder / "parse.py") + " " + (folder / "qor.prom") + " >" +
                (folder / "parsed") + " 2>&1"),
            0)
      << testsupport::ReadFile(folder / "parsed");
  std::set<std::string> parsed = Lines(testsupport::ReadFile(folder / "parsed"));
  const char* expected[] = {
      "family qor_tickets counter",  // the parser names a counter's family without "_total"
      "family qor_ticket_duration_seconds histogram",
      "family qor_register_state gauge",
      "family qor_tickets_waiting gauge",
      "family qor_writer_waits counter",
      "family qor_flush_rounds counter",
      "family qor_driver_start_time_seconds gauge",
      "qor_tickets_total code=0,register=1 1200",
      "qor_register_state register=2,state=paper-out 1",
      "qor_tickets_waiting register=2 2",
      "qor_ticket_duration_seconds_bucket le=0.05,register=1 1",
      "qor_ticket_duration_seconds_bucket le=0.25,register=1 2",
      "qor_ticket_duration_seconds_bucket le=5,register=1 3",
      "qor_ticket_duration_seconds_bucket le=60,register=1 3",
      "qor_ticket_duration_seconds_bucket le=+Inf,register=1 4",
      "qor_ticket_duration_seconds_count register=1 4",
      "qor_ticket_duration_seconds_sum register=1 103.23",
      "qor_ticket_duration_seconds_bucket le=+Inf,register=2 0",
      "qor_writer_waits_total  5",
      "qor_flush_rounds_total  77",
  };
  for (const char* line : expected) EXPECT_TRUE(parsed.count(line)) << "missing: " << line;
  size_t buckets = 0;
  for (const std::string& line : parsed) buckets += line.rfind("qor_ticket_duration_seconds_bucket", 0) == 0;
  EXPECT_EQ(buckets, 2 * 11u);
}

}  // namespace

// Speed of the ticket intake: records through the translator, and whole tickets through the writer
// check and the translate-and-write step (the 20 ms each ticket waits for its writer is left out).

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "driver/tickets/ticket_intake.h"
#include "driver/tickets/ticket_lines.h"
#include "driver/tickets/translator.h"
#include "platform/exclusive_open.h"
#include "platform/text_encoding.h"

namespace {

std::string Record(const std::string& code, std::initializer_list<std::pair<int, std::string>> parts,
                   std::size_t length) {
  std::string data(length, ' ');
  for (const auto& [offset, text] : parts) data.replace(offset, text.size(), text);
  return (code.size() == 1 ? code + " " : code) + data;
}

const std::string kSaleData =
    Record("1", {{0, "8001234567890"}, {25, "12,50"}, {35, "3"}, {38, "Espresso & cornetto"}, {80, "2"}}, 81).substr(2);

void TranslateSale(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(driver::TranslateRecord("1", kSaleData, 1, true));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TranslateSale);

// A till writing UTF-8: a Greek sale line read (validated, split on characters) and translated.
void ReadAndTranslateGreekSale(benchmark::State& state) {
  const std::string line = "1 " + platform::Utf8PadRight("8001234567890", 25) + platform::Utf8PadRight("12,50", 10) +
                           "3  " + platform::Utf8PadRight("Καφές φρέντο & κουλούρι", 42) + "2\n";
  const platform::CTextEncoding encoding = platform::CTextEncoding::Utf8();
  for (auto _ : state) {
    driver::CTicketLines lines(line, encoding);
    const std::optional<driver::TicketRecord> record = lines.Next();
    benchmark::DoNotOptimize(driver::TranslateRecord(record->code, record->data, 1, true));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReadAndTranslateGreekSale);

class QuietHost : public driver::ITicketHost {
 public:
  driver::CEcrContext* FindEcr(std::int32_t) override { return &m_Ecr; }
  platform::CFlushGroup m_Flushes{platform::CFlushGroup::Mode::kCached};
  bool IsServiceSuspended() const override { return false; }
  bool DescriptionCheck() const override { return false; }
  const platform::CTextEncoding& TicketEncoding() const override { return m_Encoding; }
  platform::CTextEncoding m_Encoding = platform::CTextEncoding::Utf8();
  driver::JobStartResult StartTicketJob(driver::CEcrContext&, const driver::CDocumentJob&) override {
    return driver::JobStartResult::Started;
  }
  bool IsTicketJobRunning(const std::string&) const override { return false; }
  std::size_t TicketJobsRunning(std::int32_t) const override { return 0; }
  void ScheduleTicketCheck(std::chrono::milliseconds) override {}
  void FlushThen(platform::CFlushStep step, FlushDone done) override { done(m_Flushes.Flush(std::move(step))); }
  driver::CEcrContext m_Ecr{2, 2};
};

// A four-record ticket (open, two sales, close) translated and written, then its document removed.
void TranslateAndWriteTicket(benchmark::State& state) {
  char pattern[] = "/var/tmp/qor-bench-XXXXXX";
  std::string base = ::mkdtemp(pattern);
  std::string folder = base + "/Tickets/2";
  std::filesystem::create_directories(folder);
  const std::string ticket = "0 1\n" + Record("1", {{0, "1"}, {25, "1,00"}, {35, "1"}, {38, "Water"}, {80, "1"}}, 81) +
                             "\n" + Record("1", {{0, "2"}, {25, "2,00"}, {35, "1"}, {38, "Bread"}, {80, "1"}}, 81) +
                             "\n" + Record("6", {{0, "3,00"}, {10, "CASH"}, {46, "1"}}, 47) + "\n";
  QuietHost host;
  driver::CTicketIntake intake(host, base + "/");
  driver::CTicketNames names = driver::MakeTicketNames(folder, "t.txt");
  std::string numbered;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(names.m_Real, std::ios::trunc) << ticket;
    state.ResumeTiming();
    platform::FileDescriptor file;
    int result = platform::OpenExclusive(names.m_Real, file) == platform::kErrorSuccess
                     ? intake.ParseInputFileTxt(names, file, host.m_Ecr, numbered)
                     : driver::kParseCannotOpen;
    state.PauseTiming();
    if (result != driver::kParseTranslated) state.SkipWithError("ticket not translated");
    ::unlink(driver::WithExtension(numbered, ".xmm").c_str());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
  std::filesystem::remove_all(base);
}
BENCHMARK(TranslateAndWriteTicket)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// The registers' data questions: each input line is one question to a register whose header
// transfer and three upload queues are armed, so the B85, B80/B81/B84 and D01 paths all run.
// The answers must follow the exchange cycle and the queues, and "ticketstatus.out" must hold the
// last D01 text.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "driver/control/control_events.h"
#include "driver/control/report_display.h"
#include "fuzz/fuzz_support.h"

namespace {

class CRegisterOnList final : public driver::IRegisterDirectory, public driver::IFollowUpPoster {
 public:
  explicit CRegisterOnList(std::int32_t type) : m_Ecr(1, type) {}
  driver::CEcrContext* FindEcr(std::int32_t ecr) override { return ecr == 1 ? &m_Ecr : nullptr; }
  std::string TicketRoot() const override { return fuzz::ScratchFolder(); }
  void PostStatusAlert(std::int32_t) override {}

  driver::CEcrContext m_Ecr;
};

void Arm(driver::CEcrContext& ctx, std::uint8_t choice) {
  ctx.m_ExchangeAnswers.Set({"HEADER 1", "HEADER 2", "HEADER 3"}, {"HEADER 4", "", "HEADER 6"});
  ctx.m_ExchangeRow = 1 + choice % 3;
  ctx.m_ExchangePending = 1;
  ctx.m_QueueB80 = {"1:DEPT ONE:1,00", "2:DEPT TWO:2,00"};
  ctx.m_QueueB81 = {"PLU LINE"};
  ctx.m_QueueB84.clear();
  ctx.m_QueueB80Armed = ctx.m_QueueB81Armed = ctx.m_QueueB84Armed = 1;
}

// What the queue question must answer, worked out before the handler runs.
std::optional<std::string> ExpectedQueueAnswer(const std::deque<std::string>& queue, const driver::Flag& armed) {
  if (armed.load() == 0) return std::nullopt;
  return queue.empty() ? std::string("*") : queue.front();
}

std::optional<std::string> ExpectedHeaderAnswer(const driver::CEcrContext& ctx) {
  if (ctx.m_ExchangePending.load() == 0) return std::nullopt;
  const auto join = [](const char* part, const std::array<std::string, 3>& lines) {
    return std::string(part) + lines[0] + ":" + lines[1] + ":" + lines[2];
  };
  if (ctx.m_ExchangeRow.load() == 1) return join("A:", ctx.m_ExchangeAnswers.A());
  if (ctx.m_ExchangeRow.load() == 2) return join("B:", ctx.m_ExchangeAnswers.B());
  return std::string("*");
}

std::optional<std::string> ExpectedAnswer(const driver::CEcrContext& ctx, const std::string& question) {
  if (question == "B85") return ExpectedHeaderAnswer(ctx);
  if (question == "B80") return ExpectedQueueAnswer(ctx.m_QueueB80, ctx.m_QueueB80Armed);
  if (question == "B81") return ExpectedQueueAnswer(ctx.m_QueueB81, ctx.m_QueueB81Armed);
  if (question == "B84") return ExpectedQueueAnswer(ctx.m_QueueB84, ctx.m_QueueB84Armed);
  return std::nullopt;
}

// A price of digits only is cents: "1250" must become "12,50" whatever the floating point does.
void CheckLastPrice(const driver::CEcrContext& ctx, const std::string& question) {
  const std::size_t colon = question.find(':', 4);
  if (colon == std::string::npos || colon - 4 > 10 || colon == 4) return;
  const std::string price = question.substr(4, colon - 4);
  if (price.find_first_not_of("0123456789") != std::string::npos) return;
  const std::string cents = std::to_string(std::stoull(price));
  const std::string padded = std::string(cents.size() < 3 ? 3 - cents.size() : 0, '0') + cents;
  const std::string expected = padded.substr(0, padded.size() - 2) + "," + padded.substr(padded.size() - 2);
  fuzz::Expect(ctx.m_LastPriceReady.load() == 1 && ctx.m_LastPrice.Get() == expected,
               "a price in cents reads with two decimals", ctx.m_LastPrice.Get());
}

bool QueueArmed(const driver::CEcrContext& ctx, const std::string& question) {
  if (question == "B80") return ctx.m_QueueB80Armed.load() != 0;
  if (question == "B81") return ctx.m_QueueB81Armed.load() != 0;
  if (question == "B84") return ctx.m_QueueB84Armed.load() != 0;
  return false;
}

void Ask(driver::CControlEvents& events, CRegisterOnList& list, const std::string& question) {
  driver::CEcrContext& ctx = list.m_Ecr;
  const std::optional<std::string> expected = ExpectedAnswer(ctx, question);
  const bool wasPending = ctx.m_ExchangePending.load() != 0;
  const bool wasArmed = QueueArmed(ctx, question);
  std::optional<std::string> reply = std::string("stale");
  ctx.m_LastPriceReady = 0;
  events.DataEvent(1, 0, question, reply);
  fuzz::Expect(reply == expected, "the answer follows the exchange and the queues", question);
  const bool finished = expected == std::optional<std::string>("*");
  fuzz::Expect(!(finished && question == "B85") || (wasPending && ctx.m_ExchangePending.load() == 0),
               "the end of the header transfer disarms it", question);
  fuzz::Expect(!(finished && question != "B85") || (wasArmed && !QueueArmed(ctx, question)),
               "an emptied queue is disarmed", question);
  fuzz::Expect(ctx.m_ExchangeRow.load() >= 1 && ctx.m_ExchangeRow.load() <= 3, "the exchange row stays 1 to 3");
  if (question.compare(0, 3, "D01") != 0) return;
  fuzz::Expect(fuzz::ReadBytes(fuzz::ScratchFolder() + "/1/ticketstatus.out") == question + "\n",
               "ticketstatus.out holds the last D01 text", question);
  CheckLastPrice(ctx, question);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietDebugLog();
  std::filesystem::create_directories(fuzz::ScratchFolder() + "/1");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::CInputReader input(data, size);
  const std::uint8_t choice = input.TakeByte();
  CRegisterOnList list(choice / 3 % 4);
  driver::CReportDisplay display;
  driver::CControlEvents events(list, list, display);
  Arm(list.m_Ecr, choice);
  std::string_view questions = input.Rest();
  while (!questions.empty()) {
    const std::size_t end = questions.find('\n');
    Ask(events, list, std::string(questions.substr(0, end)));
    questions.remove_prefix(end == std::string_view::npos ? questions.size() : end + 1);
  }
  // A question for a register not on the list is dropped.
  std::optional<std::string> reply = std::string("stale");
  events.DataEvent(2, 0, "B85", reply);
  fuzz::Expect(!reply, "a register not on the list gets no answer");
  return 0;
}

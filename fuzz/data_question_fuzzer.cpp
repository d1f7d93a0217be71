// The registers' data questions: each input line is one question to a register whose header
// transfer and three upload queues are armed, so the B85, B80/B81/B84 and D01 paths all run.
// The answers must follow the exchange cycle and the queues, and "ticketstatus.out" must hold the
// last D01 text.

#include <array>
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

// What each exchange holds as the fuzzer armed it, kept beside the mailbox to work out the answers.
struct CArmed {
  std::array<std::deque<std::string>, 4> m_Lines;
  std::array<bool, 4> m_Armed{};
};

std::size_t IndexOf(driver::DataQuestion question) { return static_cast<std::size_t>(question); }

std::optional<driver::DataQuestion> QuestionOf(const std::string& text) {
  if (text == "B85") return driver::DataQuestion::kHeader;
  if (text == "B80") return driver::DataQuestion::kDepartments;
  if (text == "B81") return driver::DataQuestion::kPlus;
  if (text == "B84") return driver::DataQuestion::kOffers;
  return std::nullopt;
}

// The header may be armed part way through its cycle: row 2 leaves lines 4-6, row 3 only the end mark.
CArmed Arm(driver::CEcrContext& ctx, std::uint8_t choice) {
  CArmed armed;
  std::deque<std::string> header = {"A:HEADER 1:HEADER 2:HEADER 3", "B:HEADER 4::HEADER 6"};
  for (int row = 1; row < 1 + choice % 3; ++row) header.pop_front();
  armed.m_Lines = {header, {"1:DEPT ONE:1,00", "2:DEPT TWO:2,00"}, {"PLU LINE"}, {}};
  armed.m_Armed = {true, true, true, true};
  const driver::DataQuestion questions[] = {driver::DataQuestion::kHeader, driver::DataQuestion::kDepartments,
                                            driver::DataQuestion::kPlus, driver::DataQuestion::kOffers};
  for (const driver::DataQuestion question : questions) {
    const std::deque<std::string>& lines = armed.m_Lines[IndexOf(question)];
    ctx.Events().Arm(question, {lines.begin(), lines.end()});
  }
  return armed;
}

// What the question must answer, worked out before the handler runs; the model then follows it.
std::optional<std::string> ExpectedAnswer(CArmed& armed, const std::string& text) {
  const std::optional<driver::DataQuestion> question = QuestionOf(text);
  if (!question || !armed.m_Armed[IndexOf(*question)]) return std::nullopt;
  std::deque<std::string>& lines = armed.m_Lines[IndexOf(*question)];
  if (lines.empty()) {
    armed.m_Armed[IndexOf(*question)] = false;
    return std::string("*");
  }
  std::string answer = lines.front();
  lines.pop_front();
  return answer;
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
  fuzz::Expect(ctx.Events().LastPriceReady() && ctx.Events().LastPrice() == expected,
               "a price in cents reads with two decimals", ctx.Events().LastPrice());
}

void Ask(driver::CControlEvents& events, CRegisterOnList& list, CArmed& armed, const std::string& question) {
  driver::CEcrContext& ctx = list.m_Ecr;
  const std::optional<std::string> expected = ExpectedAnswer(armed, question);
  std::optional<std::string> reply = std::string("stale");
  ctx.Events().ExpectLastPrice();
  events.DataEvent(1, 0, question, reply);
  fuzz::Expect(reply == expected, "the answer follows the exchange and the queues", question);
  if (const std::optional<driver::DataQuestion> asked = QuestionOf(question))
    fuzz::Expect(ctx.Events().Armed(*asked) == armed.m_Armed[IndexOf(*asked)],
                 "an exchange is disarmed by the end mark, and only by it", question);
  const std::int32_t row = ctx.Events().HeaderRow();
  fuzz::Expect(row >= 1 && row <= 3, "the exchange row stays 1 to 3");
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
  CArmed armed = Arm(list.m_Ecr, choice);
  std::string_view questions = input.Rest();
  while (!questions.empty()) {
    const std::size_t end = questions.find('\n');
    Ask(events, list, armed, std::string(questions.substr(0, end)));
    questions.remove_prefix(end == std::string_view::npos ? questions.size() : end + 1);
  }
  // A question for a register not on the list is dropped.
  std::optional<std::string> reply = std::string("stale");
  events.DataEvent(2, 0, "B85", reply);
  fuzz::Expect(!reply, "a register not on the list gets no answer");
  return 0;
}

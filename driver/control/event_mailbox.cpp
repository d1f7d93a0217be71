#include "driver/control/event_mailbox.h"

#include <utility>

namespace driver {
namespace {

std::optional<DataQuestion> QuestionNamed(const std::string& text) {
  if (text == "B85") return DataQuestion::kHeader;
  if (text == "B80") return DataQuestion::kDepartments;
  if (text == "B81") return DataQuestion::kPlus;
  if (text == "B84") return DataQuestion::kOffers;
  return std::nullopt;
}

}  // namespace

StatusFollowUp CEventMailbox::StatusReceived(std::string text, std::int32_t ecrType) {
  StatusFollowUp followUp = StatusFollowUp::kNone;
  Change([&] {
    m_Status.m_StatusText = std::move(text);
    followUp = ParseEcrStatus(ecrType, ExchangeOf(DataQuestion::kHeader).m_Armed, m_Status);
  });
  return followUp;
}

std::optional<std::string> CEventMailbox::Answer(const std::string& text) {
  std::optional<std::string> reply;
  Change([&] {
    ++m_QuestionsAsked;
    const std::optional<DataQuestion> question = QuestionNamed(text);
    if (!question || !ExchangeOf(*question).m_Armed) return;
    CExchange& exchange = ExchangeOf(*question);
    if (!exchange.m_Lines.empty()) {
      reply = std::move(exchange.m_Lines.front());
      exchange.m_Lines.pop_front();
      ++exchange.m_Answered;
    } else {
      reply = "*";
      exchange.m_Armed = false;
      exchange.m_Answered = 0;
    }
  });
  return reply;
}

void CEventMailbox::Arm(DataQuestion question, std::vector<std::string> lines) {
  Change([&] {
    CExchange& exchange = ExchangeOf(question);
    exchange.m_Lines.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    exchange.m_Armed = true;
    exchange.m_Answered = 0;
  });
}

// What the register did not fetch is dropped: the next exchange hands out its own lines.
void CEventMailbox::Disarm(DataQuestion question) {
  Change([&] {
    ExchangeOf(question).m_Lines.clear();
    ExchangeOf(question).m_Armed = false;
  });
}

void CEventMailbox::Wake() {
  { std::lock_guard guard(m_SignalLock); }
  m_Signal.notify_all();
}

}  // namespace driver

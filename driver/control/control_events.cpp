#include "driver/control/control_events.h"

#include <cstdio>
#include <cstdlib>

#include "driver/control/status_parse.h"
#include "platform/debug_log.h"
#include "platform/fault_point.h"
#include "platform/text_file.h"

namespace driver {

void CControlEvents::DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  if (result != 0) platform::DebugLog("[ZEDO] OnDirectIOEventQorctrl: ecr [%d] result [%d] [%s]", ecr, result, text.c_str());
  // The result and the answer are in place before the flag that tells the job to read them.
  ctx->m_IoDirectResult = result;
  ctx->m_IoDirectAnswer.Set(text);
  ctx->m_IoDirectComplete = 1;
  ctx->SignalChange();
  platform::FaultPoint("completed");
}

void CControlEvents::OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  platform::DebugLog("[ZEDO] OnOutputCompleteEventQorctrl: job [%d] result = [%d]", job, result);
  // The result is in place before the flag that tells the job to read it.
  ctx->m_JobResult = result;
  platform::DebugLog("[ZEDO] OnOutputCompleteEventQorctrl: m_WorkComplete = [TRUE]");
  ctx->m_WorkComplete = 1;
  ctx->SignalChange();
  platform::FaultPoint("completed");
}

void CControlEvents::StatusUpdateEvent(std::int32_t ecr, const std::string& status) {
  platform::DebugLog("[ZEDO] OnStatusUpdateEventQorctrl: Received!");
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  ctx->m_StatusText.Set(status);
  if (ParseEcrStatus(*ctx) == StatusFollowUp::kStatusAlert) m_Poster.PostStatusAlert(ecr);
  m_Poster.StatusReceived(ecr);
}

void CControlEvents::RequestEvent(std::int32_t, std::int32_t, const std::string&, std::optional<std::string>& reply) {
  platform::DebugLog("[ZEDO] OnRequestEventQorctrl: Received!, ** NOT EXPECTED **");
  reply.reset();
}

void CControlEvents::DataEvent(std::int32_t ecr, std::int32_t, const std::string& text,
                               std::optional<std::string>& reply) {
  reply.reset();
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  platform::DebugLog("Event DataEvent received[%s] row[%d]", text.c_str(), ctx->m_ExchangeRow.load());
  ++ctx->m_QuestionsAsked;
  if (text == "B85") {
    AnswerHeaderQuestion(*ctx, reply);
  } else if (text == "B80") {
    AnswerQueueQuestion(ctx->m_QueueB80, ctx->m_QueueB80Armed, reply);
  } else if (text == "B81") {
    AnswerQueueQuestion(ctx->m_QueueB81, ctx->m_QueueB81Armed, reply);
  } else if (text == "B84") {
    AnswerQueueQuestion(ctx->m_QueueB84, ctx->m_QueueB84Armed, reply);
  } else if (text.compare(0, 3, "D01") == 0) {
    TakeLastPrice(*ctx, text);
    WriteTicketStatus(ecr, text);
  }
  ctx->SignalChange();
}

void CControlEvents::ReportSavedEvent(std::int32_t ecr, std::int32_t, const std::string& path) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  // The path is in place before the flag that tells the job to read it.
  ctx->m_ReportPath.Set(path);
  ctx->m_ReportReady = 1;
  ctx->SignalChange();
  DisplayReport(*ctx, path);
}

void CControlEvents::HistorySavedEvent(std::int32_t ecr, const std::string& path) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  ctx->m_HistoryPath.Set(path);
  ctx->m_HistoryReady = 1;
  ctx->SignalChange();
  DisplayReport(*ctx, path);
}

// The header travels in three answers: lines 1-3, lines 4-6, then the end mark.
void CControlEvents::AnswerHeaderQuestion(CEcrContext& ctx, std::optional<std::string>& reply) {
  if (ctx.m_ExchangePending.load() == 0) return;
  const auto join = [](char part, const std::array<std::string, 3>& lines) {
    return std::string(1, part) + ":" + lines[0] + ":" + lines[1] + ":" + lines[2];
  };
  switch (ctx.m_ExchangeRow.load()) {
    case 1:
      reply = join('A', ctx.m_ExchangeAnswers.A());
      ctx.m_ExchangeRow = 2;
      break;
    case 2:
      reply = join('B', ctx.m_ExchangeAnswers.B());
      ctx.m_ExchangeRow = 3;
      break;
    default:
      reply = "*";
      ctx.m_ExchangeRow = 1;
      ctx.m_ExchangePending = 0;
      break;
  }
}

void CControlEvents::AnswerQueueQuestion(std::deque<std::string>& queue, Flag& armed,
                                         std::optional<std::string>& reply) {
  if (armed.load() == 0) return;
  if (!queue.empty()) {
    reply = queue.front();
    queue.pop_front();
    return;
  }
  reply = "*";
  armed = 0;
}

// "D01", one separator, the last total in cents, then ":" and further fields.
void CControlEvents::TakeLastPrice(CEcrContext& ctx, const std::string& text) {
  const std::size_t colon = text.find(':', 4);
  const std::string price = colon == std::string::npos ? std::string() : text.substr(4, colon - 4);
  if (price.size() > 10) {
    platform::DebugLog("[ZEDO] OnDataEventQorctrl LAST PRICE = ERROR IN STRING!!!");
    return;
  }
  char formatted[64];
  std::snprintf(formatted, sizeof formatted, "%.2f", std::strtod(price.c_str(), nullptr) * 0.01);
  std::string lastPrice = formatted;
  if (const std::size_t dot = lastPrice.find('.'); dot != std::string::npos) lastPrice[dot] = ',';
  // The price is in place before the flag that tells the job to read it.
  ctx.m_LastPrice.Set(lastPrice);
  ctx.m_LastPriceReady = 1;
  platform::DebugLog("[ZEDO] OnDataEventQorctrl LAST PRICE = [%s]", lastPrice.c_str());
}

void CControlEvents::WriteTicketStatus(std::int32_t ecr, const std::string& text) const {
  const std::string path = m_Registers.TicketRoot() + "/" + std::to_string(ecr) + "/ticketstatus.out";
  platform::ReplaceWholeFile(path, text + "\n");
}

void CControlEvents::DisplayReport(CEcrContext& ctx, const std::string& path) {
  if (ctx.m_QuietReport.load() != 0) return;
  m_Display.ShowReport(ctx.m_EcrId, path);
}

}  // namespace driver

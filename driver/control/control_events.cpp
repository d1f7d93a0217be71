#include "driver/control/control_events.h"

#include <cstdio>
#include <cstdlib>

#include "platform/debug_log.h"
#include "platform/fault_point.h"
#include "platform/text_file.h"

namespace driver {

void CControlEvents::DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  if (result != 0) platform::DebugLog("[ZEDO] OnDirectIOEventQorctrl: ecr [%d] result [%d] [%s]", ecr, result, text.c_str());
  ctx->Events().IoDirectCompleted(result, text);
  platform::FaultPoint("completed");
}

void CControlEvents::OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  platform::DebugLog("[ZEDO] OnOutputCompleteEventQorctrl: job [%d] result = [%d]", job, result);
  platform::DebugLog("[ZEDO] OnOutputCompleteEventQorctrl: m_WorkComplete = [TRUE]");
  ctx->Events().WriteCompleted(result);
  platform::FaultPoint("completed");
}

void CControlEvents::StatusUpdateEvent(std::int32_t ecr, const std::string& status) {
  platform::DebugLog("[ZEDO] OnStatusUpdateEventQorctrl: Received!");
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  if (ctx->Events().StatusReceived(status, ctx->m_EcrType) == StatusFollowUp::kStatusAlert)
    m_Poster.PostStatusAlert(ecr);
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
  platform::DebugLog("Event DataEvent received[%s] row[%d]", text.c_str(), ctx->Events().HeaderRow());
  reply = ctx->Events().Answer(text);
  // The status file is written before the price is handed over, so a job woken by the price finds it.
  if (text.compare(0, 3, "D01") == 0) {
    WriteTicketStatus(ecr, text);
    TakeLastPrice(ctx->Events(), text);
  }
}

void CControlEvents::ReportSavedEvent(std::int32_t ecr, std::int32_t, const std::string& path) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  ctx->Events().ReportSaved(path);
  DisplayReport(*ctx, path);
}

void CControlEvents::HistorySavedEvent(std::int32_t ecr, const std::string& path) {
  CEcrContext* ctx = m_Registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  ctx->Events().HistorySaved(path);
  DisplayReport(*ctx, path);
}

// "D01", one separator, the last total in cents, then ":" and further fields.
void CControlEvents::TakeLastPrice(CEventMailbox& events, const std::string& text) {
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
  events.LastPriceReceived(lastPrice);
  platform::DebugLog("[ZEDO] OnDataEventQorctrl LAST PRICE = [%s]", lastPrice.c_str());
}

void CControlEvents::WriteTicketStatus(std::int32_t ecr, const std::string& text) const {
  const std::string path = m_Registers.TicketRoot() + "/" + std::to_string(ecr) + "/ticketstatus.out";
  platform::ReplaceWholeFile(path, text + "\n");
}

void CControlEvents::DisplayReport(CEcrContext& ctx, const std::string& path) {
  if (ctx.Events().ReportIsQuiet()) return;
  m_Display.ShowReport(ctx.m_EcrId, path);
}

}  // namespace driver

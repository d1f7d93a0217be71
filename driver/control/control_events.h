#pragma once
// CControlEvents: the driver's handlers of the seven control events, run on the window thread.
// They put what the events bring into the register's event mailbox, answer the registers' data
// questions from the exchanges the jobs armed there, and post the follow-up messages.

#include <cstdint>
#include <optional>
#include <string>

#include "driver/control/driver_links.h"
#include "driver/control/fiscal_control.h"
#include "driver/control/report_display.h"

namespace driver {

class CControlEvents final : public IFiscalControlEvents {
 public:
  CControlEvents(IRegisterDirectory& registers, IFollowUpPoster& poster, CReportDisplay& display)
      : m_Registers(registers), m_Poster(poster), m_Display(display) {}

  void DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) override;
  void OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) override;
  void StatusUpdateEvent(std::int32_t ecr, const std::string& status) override;
  void RequestEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                    std::optional<std::string>& reply) override;
  void DataEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                 std::optional<std::string>& reply) override;
  void ReportSavedEvent(std::int32_t ecr, std::int32_t n, const std::string& path) override;
  void HistorySavedEvent(std::int32_t ecr, const std::string& path) override;

 private:
  void TakeLastPrice(CEventMailbox& events, const std::string& text);
  void WriteTicketStatus(std::int32_t ecr, const std::string& text) const;
  void DisplayReport(CEcrContext& ctx, const std::string& path);

  IRegisterDirectory& m_Registers;
  IFollowUpPoster& m_Poster;
  CReportDisplay& m_Display;
};

}  // namespace driver

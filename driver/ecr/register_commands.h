#pragma once
// CRegisterCommands: the registers' own commands a job gives through its session, each in the command
// family of the register's type: key switch and display, programming batches, the ticket header,
// reports, zero-sets and the fiscal closure, history. Each takes what it works on as an argument.
//
// A programming record starts its kind's batch when none is open; the batch stays open for the records
// that follow until it is ended. On the star family a department or PLU batch holds the keyboard locked
// and the key at "P" from its start to its end. On the zero family records are queued and a batch end
// has the register fetch them (native_commands.cpp). The header is in header_commands.cpp.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/ecr/command_strings.h"
#include "driver/ecr/job_order.h"
#include "driver/ecr/register_session.h"

namespace driver {

class CRegisterCommands {
 public:
  explicit CRegisterCommands(CRegisterSession& session) : m_Session(session), m_Ecr(session.Register()) {}

  std::int32_t KeySwitch(char letter);
  void ClearDisplay();

  std::int32_t AddDepartment(const CDepartmentRecord& record);
  std::int32_t AddPlu(const CPluRecord& record);
  std::int32_t AddOffer(const COfferRecord& record);
  // Ends the open offer, PLU and department batches, in this order; the first nonzero code of their
  // ends (a zero-family upload the register refused or never fetched, a star-family end refused).
  std::int32_t EndBatches();
  std::int32_t EndOfferBatch();
  std::int32_t EndPluBatch();
  std::int32_t EndDepartmentBatch();

  std::int32_t SetHeader(const CHeaderJob& header);
  // The fiscal closure when the zero-set type is kFiscalClosureType, awaited (19 when refused); otherwise
  // the zero-set request, whose end the caller awaits.
  std::int32_t ZeroSet(const CZeroSetJob& zeroSet);
  std::int32_t Report(const CReportJob& report);
  std::int32_t HistoryRequest();
  std::int32_t HistoryRollback();

  // Asks the register for the last ticket total and shows it on the customer and operator displays.
  void ShowLastTotal();
  // A register that a job left in the middle of its work: the status asked afresh, a receipt left open
  // voided, the keyboard unlocked, the display cleared.
  void BringRegisterToKnownState();

 private:
  std::int32_t DepartmentBatchStart();
  std::int32_t DepartmentRecord(const CDepartmentRecord& record);
  std::int32_t DepartmentBatchEnd();
  std::int32_t PluBatchStart();
  std::int32_t PluRecord(const CPluRecord& record);
  std::int32_t PluBatchEnd();
  std::int32_t OfferBatchStart();
  std::int32_t OfferRecord(const COfferRecord& record);
  std::int32_t OfferBatchEnd();
  // A zero-family exchange: the command during which the register fetches what the job handed over
  // (armed until the register has it all), then the command that makes the register take it.
  std::int32_t Exchange(const char* command, DataQuestion question, std::vector<std::string> lines,
                        const char* followUp);
  std::int32_t StarHeader(const CHeaderJob& header);
  std::int32_t StarHeaderTransfer(const CHeaderJob& header);
  std::int32_t StarFiscalClosure();

  CRegisterSession& m_Session;
  CEcrContext& m_Ecr;
  bool m_DepartmentBatch = false;
  bool m_PluBatch = false;
  bool m_OfferBatch = false;
  char m_SavedKey = 0;
  // A zero-family batch's lines, handed to the register's mailbox when the batch ends (one batch is
  // open at a time).
  std::vector<std::string> m_Uploads;
};

}  // namespace driver

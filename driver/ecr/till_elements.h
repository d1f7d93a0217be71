#pragma once
// The elements of a command document as the executor runs them: each line is matched against the
// element table (first tag of the table found anywhere in the line) and runs that element's steps.
// Programming, report and utility elements become native commands or requests; ticket elements go to
// the control's Write unchanged. Each returns the element's code: 0 goes on with the next line.

#include <cstdint>
#include <functional>
#include <string>

#include "driver/ecr/register_commands.h"
#include "driver/ecr/register_session.h"

namespace driver {

class CTillJobElements {
 public:
  CTillJobElements(CRegisterSession& session, CRegisterCommands& commands)
      : m_Session(session), m_Commands(commands), m_Ecr(session.Register()) {}

  // Runs the element of one line; a line with no known tag does nothing and gives 0.
  std::int32_t Run(const std::string& line);
  // The tag of the element table a line matches ("<SELLITEM>"), "-" when it matches none.
  static std::string TagOf(const std::string& line);

  // The programming batch an element keeps open.
  enum class Batch { None, Department, Plu, Offer };

  // Set by a zero-family <CLOSE_TICKET>: show the last total once the reply is written.
  bool LastTotalWanted() const { return m_LastTotal; }

  // Each element's steps, in the order of the element table.
  std::int32_t FiscalClosure(const std::string& line);
  std::int32_t ReportRequest(const std::string& line);
  std::int32_t ZeroSetRequest(const std::string& line);
  std::int32_t HistoryRequest(const std::string& line);
  std::int32_t HistoryRollback(const std::string& line);
  std::int32_t TableSummary(const std::string& line);
  std::int32_t SetHeader(const std::string& line);
  std::int32_t SetDepartment(const std::string& line);
  std::int32_t SetPlu(const std::string& line);
  std::int32_t SetOffer(const std::string& line);
  std::int32_t ReadStatus(const std::string& line);
  std::int32_t OpenTicket(const std::string& line);
  std::int32_t TicketItem(const std::string& line);
  std::int32_t CloseTable(const std::string& line);
  std::int32_t CloseTicket(const std::string& line);
  std::int32_t ProtocolCommand(const std::string& line);

 private:
  std::int32_t EnterTicketMode();
  std::int32_t EndOtherBatches(Batch keep);
  // A report or history file the register saves: 0 once it is saved; 3 when the register refuses (it
  // could not save it); otherwise the register's trouble, waited out under the lost-command rule.
  std::int32_t AwaitSavedFile(const std::function<bool()>& saved);
  // A Write of the line and its completion; the keyboard is unlocked when either fails.
  std::int32_t WriteAndAwait(const std::string& element);

  CRegisterSession& m_Session;
  CRegisterCommands& m_Commands;
  CEcrContext& m_Ecr;
  bool m_LastTotal = false;
};

// A child value of an element line: the text between <name> and </name>.
std::string ChildValue(const std::string& line, const char* name);

}  // namespace driver

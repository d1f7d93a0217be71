#include "emulator/tests/emulator_fixture.h"

#include <gtest/gtest.h>

namespace emulator::testing {

CEmulatorFixture::CEmulatorFixture(const std::string& settings) {
  if (!settings.empty()) testsupport::WriteFile(m_Base / "QorEmulator.ini", settings);
  m_Control = std::make_unique<CEmulatorControl>(m_Base.Path());
  m_Control->RecordCalls();
  m_Control->SetEventSink(&m_Sink);
  EXPECT_EQ(0, m_Control->Open(""));
}

CEmulatorFixture::~CEmulatorFixture() {
  m_Control->Close();
  m_Control.reset();
}

std::string CEmulatorFixture::Send(int ecr, const std::string& command) {
  const int before = m_Sink.Count("DirectIO", ecr);
  m_Control->IODirect(ecr, command, 0);
  const auto event = m_Sink.WaitFor("DirectIO", ecr, before + 1);
  return event ? event->m_Text : "<none>";
}

int CEmulatorFixture::Write(int ecr, const std::string& element) {
  const int before = m_Sink.Count("OutputComplete", ecr);
  std::int32_t job = 0;
  if (m_Control->Write(ecr, 2, element, job) != 0) return -2;
  const auto event = m_Sink.WaitFor("OutputComplete", ecr, before + 1);
  if (!event) return -1;
  EXPECT_EQ(job, event->m_Job);
  return event->m_Result;
}

std::string CEmulatorFixture::Journal(int ecr) const { return testsupport::ReadFile(m_Control->JournalPath(ecr)); }

std::string CEmulatorFixture::Status(int ecr) {
  std::string status;
  EXPECT_EQ(0, m_Control->Request(ecr, 5, status));
  return status;
}

std::string OpenTicket() { return "<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>"; }

std::string Sale(const std::string& price, const std::string& department, const std::string& description,
                 const std::string& quantity, const std::string& pluCode) {
  return "<SELLITEM><PLUCODE>" + pluCode + "</PLUCODE><PRICE>" + price + "</PRICE><DEPARTMENT>" + department +
         "</DEPARTMENT><DESCRIPTION>" + description + "</DESCRIPTION><QUANTITY>" + quantity + "</QUANTITY></SELLITEM>";
}

std::string CloseTicket(const std::string& amount) {
  return "<CLOSE_TICKET><AMOUNT>" + amount +
         "</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION><PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>";
}

bool HasLine(const std::string& journal, const std::string& left, const std::string& right) {
  std::size_t start = 0;
  while (start < journal.size()) {
    std::size_t end = journal.find('\n', start);
    if (end == std::string::npos) end = journal.size();
    const std::string line = journal.substr(start, end - start);
    if (line.rfind(left, 0) == 0 && line.size() >= left.size() + right.size() &&
        line.compare(line.size() - right.size(), right.size(), right) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

std::string HelloTextOf(const std::string& status) {
  const std::size_t open = status.find("<HELLO>");
  const std::size_t close = status.find("</HELLO>");
  if (open == std::string::npos || close == std::string::npos) return {};
  return status.substr(open + 7, close - open - 7);
}

}  // namespace emulator::testing

#pragma once
// The state of one emulated register. Everything here is seen from outside only through the control:
// status texts, events, report and history files, and the printed journal.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace emulator {

using Cents = std::int64_t;

struct CDepartment {
  std::string m_Description;
  int m_Tax = 1;
  Cents m_Price = 0;
  Cents m_Lalo = 0;  // lowest amount accepted in one sale
  Cents m_Halo = 0;  // highest amount accepted in one sale; 0 = no limit
};

struct CPlu {
  std::string m_Description;
  Cents m_Price = 0;
  int m_Department = 1;
  int m_Tax = 1;
  std::string m_Discount;
  std::string m_Offer;
  std::string m_Price1;
  std::string m_Fmult;
};

struct COffer {
  std::string m_Description;
  Cents m_Price = 0;
  int m_Department = 1;
  std::string m_Nitem;
  std::string m_Fmult;
};

// Faults and settings that a person or a test causes from outside.
struct CRegisterFaults {
  bool m_PaperOut = false;
  bool m_GenericError = false;
  bool m_NotOperating = false;
  bool m_NoAnswer = false;
  bool m_Remote = false;
  int m_LineDelayMs = 0;
  bool operator==(const CRegisterFaults&) const = default;
};

struct CTicketLine {
  std::string m_Text;
  Cents m_Amount = 0;
  int m_Department = 0;
  std::string m_PluCode;
  std::string m_Quantity;
};

struct CTable {
  Cents m_Balance = 0;
  std::string m_Waiter;
};

// Daily running totals, emptied by the zero-sets and the fiscal closure.
struct CDailyTotals {
  Cents m_Total = 0;
  int m_Receipts = 0;
  int m_Voided = 0;
  std::map<int, Cents> m_Departments;
  std::map<std::string, Cents> m_Plus;
  std::map<int, Cents> m_Taxes;
  std::map<std::string, Cents> m_Payments;
  std::map<std::string, Cents> m_Waiters;
};

struct CRegister {
  int m_Number = 0;
  int m_Type = 0;

  // Keyboard and modes. Star registers have a key switch; zero registers a mode number.
  char m_Key = 'R';
  int m_Mode = 0;  // zero family: 1 = sales, 3 = closure, 4 = programming
  bool m_KeyLocked = false;
  bool m_ProgrammingTaken = false;  // hello character 1 "C"
  int m_TransientError = 0;         // last command refused; cleared by the zero family's "*4"

  // Star-family programming sessions.
  bool m_PluSession = false;
  bool m_HasPendingPlu = false;
  std::string m_PendingPluCode;
  Cents m_PendingPluPrice = 0;
  bool m_HeaderSession = false;
  bool m_HeaderStaged = false;
  bool m_HeaderComplete = false;
  std::array<std::string, 6> m_StagedHeader;

  bool m_HelloCodeSent = false;  // "*I" received

  CRegisterFaults m_Faults;

  // The receipt being printed.
  bool m_TicketOpen = false;
  std::string m_TicketKind;  // "RECEIPT", "INVOICE", "CREDIT NOTE", "TABLE"
  std::string m_OpenTable;
  std::vector<CTicketLine> m_TicketLines;
  Cents m_TicketTotal = 0;
  // The open receipt as printed so far, from its header on; at its end it becomes the last receipt,
  // which a ticket copy reprints whole.
  std::vector<std::string> m_ReceiptPrinted;
  std::vector<std::string> m_LastReceipt;

  // Programming tables.
  std::map<int, CDepartment> m_Departments;
  std::map<std::string, CPlu> m_Plus;
  std::map<std::string, COffer> m_Offers;
  std::array<std::string, 6> m_Header;

  // Totals and counters.
  CDailyTotals m_Daily;
  Cents m_GrandTotal = 0;
  int m_ReceiptNumber = 0;
  int m_FiscalClosures = 0;
  int m_ZeroSets = 0;
  Cents m_LastTotal = 0;
  std::map<std::string, CTable> m_Tables;
  std::string m_CustomerDisplay;
  std::string m_OperatorDisplay;

  // The electronic journal for history requests lives in the register's history file (memory_file.h);
  // here are the receipt lines printed since it was last written, and a rollback not yet applied to it.
  std::vector<std::string> m_NewHistory;
  bool m_HistoryRolledBack = false;
  int m_ReportSequence = 0;

  bool IsZeroFamily() const { return m_Type == 1 || m_Type == 2; }
  bool IsOperating() const { return !m_Faults.m_NotOperating; }
  // A register in sales state opens a ticket without a mode switch.
  bool InSalesState() const { return IsZeroFamily() ? m_Mode == 1 : m_Key == 'R'; }
  // Programming is allowed with no receipt open and the register in order.
  bool ProgrammingAllowed() const {
    return !m_TicketOpen && !m_Faults.m_GenericError && IsOperating();
  }
};

// A register as it is at power-on: the default departments and an empty header.
CRegister MakeRegister(int number, int type);

}  // namespace emulator

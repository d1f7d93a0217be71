#include "emulator/ticket_elements.h"

#include <functional>
#include <map>

#include "emulator/amounts.h"
#include "emulator/element_text.h"
#include "emulator/print_columns.h"
#include "emulator/result_codes.h"

namespace emulator {
namespace {

using Printed = std::vector<std::string>;

int MaxDepartment(const CRegister& ecr) { return ecr.IsZeroFamily() ? 99 : 12; }

void StartReceipt(CRegister& ecr, const std::string& kind, Printed& printed) {
  for (const std::string& line : ecr.m_Header)
    if (!line.empty()) printed.push_back(line);
  printed.push_back(kind);
  ecr.m_TicketOpen = true;
  ecr.m_TicketKind = kind;
  ecr.m_TicketLines.clear();
  ecr.m_ReceiptPrinted.clear();
  ecr.m_TicketTotal = 0;
}

int OpenTicket(CRegister& ecr, const std::string& line, Printed& printed) {
  if (ecr.m_TicketOpen) return kResultTicketAlreadyOpen;
  if (!ecr.InSalesState()) return kResultNotInSalesState;
  const std::string creditNote = ChildValue(line, "CREDIT_NOTE");
  const std::string invoice = ChildValue(line, "INVOICE");
  if (HasChild(line, "CREDIT_NOTE")) {
    if (creditNote.empty()) return kResultBadValue;
    StartReceipt(ecr, "CREDIT NOTE " + creditNote, printed);
  } else {
    const auto invoiceNumber = ParseNumber(invoice.empty() ? "0" : invoice);
    if (!invoiceNumber) return kResultBadValue;
    StartReceipt(ecr, *invoiceNumber != 0 ? "INVOICE" : "RECEIPT", printed);
  }
  ecr.m_OpenTable.clear();
  return kResultOk;
}

// The sale's amount and department after the PLU and department tables were consulted.
int ResolveSale(const CRegister& ecr, const std::string& line, CTicketLine& sale) {
  sale.m_PluCode = ChildValue(line, "PLUCODE");
  const auto plu = ecr.m_Plus.find(sale.m_PluCode);
  const bool knownPlu = !sale.m_PluCode.empty() && plu != ecr.m_Plus.end();
  const std::string priceText = ChildValue(line, "PRICE");
  const std::string departmentText = ChildValue(line, "DEPARTMENT");
  if (priceText.empty() && !knownPlu) return sale.m_PluCode.empty() ? kResultBadValue : kResultNotProgrammed;
  const auto price = priceText.empty() ? std::optional<Cents>(plu->second.m_Price) : ParseAmount(priceText);
  // Department 0 or none: the PLU's department, else the first.
  std::optional<int> department = departmentText.empty() ? std::optional<int>(0) : ParseNumber(departmentText);
  if (department && *department == 0) department = knownPlu ? plu->second.m_Department : 1;
  sale.m_Quantity = ChildValue(line, "QUANTITY");
  const auto quantity = sale.m_Quantity.empty() ? std::optional<std::int64_t>(1000) : ParseQuantity(sale.m_Quantity);
  if (!price || !department || !quantity || *quantity == 0) return kResultBadValue;
  if (*department < 1 || *department > MaxDepartment(ecr)) return kResultNotProgrammed;
  const auto departmentEntry = ecr.m_Departments.find(*department);
  if (departmentEntry == ecr.m_Departments.end()) return kResultNotProgrammed;
  sale.m_Department = *department;
  sale.m_Amount = (*price * *quantity + 500) / 1000;
  const CDepartment& limits = departmentEntry->second;
  if (sale.m_Amount < limits.m_Lalo || (limits.m_Halo > 0 && sale.m_Amount > limits.m_Halo)) return kResultOutsideLimits;
  std::string description = MarkupValue(line, "DESCRIPTION");
  if (description.empty()) description = knownPlu ? plu->second.m_Description : limits.m_Description;
  sale.m_Text = description;
  return kResultOk;
}

// SELLITEM adds, PASTVOID and REFUND take away.
int SellItem(CRegister& ecr, const std::string& line, Printed& printed, int sign) {
  if (!ecr.m_TicketOpen) return kResultNoTicketOpen;
  CTicketLine sale;
  if (const int result = ResolveSale(ecr, line, sale); result != kResultOk) return result;
  sale.m_Amount *= sign;
  if (ecr.m_TicketTotal + sale.m_Amount < 0 && sign < 0 && ElementName(line) == "PASTVOID") return kResultBadValue;
  if (!sale.m_Quantity.empty() && sale.m_Quantity != "1") printed.push_back("  " + sale.m_Quantity + " x");
  const char* label = sign > 0 ? "" : (ElementName(line) == "REFUND" ? "REFUND " : "VOID ");
  printed.push_back(Columns(label + sale.m_Text, FormatCents(sale.m_Amount)));
  ecr.m_TicketTotal += sale.m_Amount;
  ecr.m_TicketLines.push_back(sale);
  return kResultOk;
}

int Discount(CRegister& ecr, const std::string& line, Printed& printed) {
  if (!ecr.m_TicketOpen) return kResultNoTicketOpen;
  const auto type = ParseNumber(ChildValue(line, "TYPE").empty() ? "0" : ChildValue(line, "TYPE"));
  const std::string quantityText = ChildValue(line, "QTY");
  const auto quantity = quantityText.empty() ? std::optional<std::int64_t>(1000) : ParseQuantity(quantityText);
  const auto amount = ParseAmount(ChildValue(line, "AMOUNT"));
  if (!type || !quantity || !amount) return kResultBadValue;
  const bool onSubtotal = ChildValue(line, "SBT") == "1";
  if (!onSubtotal && ecr.m_TicketLines.empty()) return kResultBadValue;
  const Cents base = onSubtotal ? ecr.m_TicketTotal : ecr.m_TicketLines.back().m_Amount;
  const bool percent = *type == 1 || *type == 3;
  Cents value = percent ? (base * *amount + 5000) / 10000 : (*amount * *quantity + 500) / 1000;
  // Types 2 and 3 add; every other type takes off.
  if (*type != 2 && *type != 3) value = -value;
  if (ecr.m_TicketTotal + value < 0) return kResultBadValue;
  CTicketLine adjustment{MarkupValue(line, "DESCRIPTION"), value, 0, {}, {}};
  if (!onSubtotal) adjustment.m_Department = ecr.m_TicketLines.back().m_Department;
  printed.push_back(Columns(adjustment.m_Text.empty() ? "DISCOUNT" : adjustment.m_Text, FormatCents(value)));
  ecr.m_TicketTotal += value;
  ecr.m_TicketLines.push_back(adjustment);
  return kResultOk;
}

int PrintLine(CRegister&, const std::string& line, Printed& printed) {
  printed.push_back(MarkupValue(line, "MESSAGE"));
  return kResultOk;
}

void AddToDailyTotals(CRegister& ecr, const std::string& payment) {
  CDailyTotals& daily = ecr.m_Daily;
  for (const CTicketLine& sold : ecr.m_TicketLines) {
    const int department = sold.m_Department != 0 ? sold.m_Department : 1;
    daily.m_Departments[department] += sold.m_Amount;
    if (!sold.m_PluCode.empty()) daily.m_Plus[sold.m_PluCode] += sold.m_Amount;
    const auto entry = ecr.m_Departments.find(department);
    daily.m_Taxes[entry != ecr.m_Departments.end() ? entry->second.m_Tax : 0] += sold.m_Amount;
  }
  daily.m_Total += ecr.m_TicketTotal;
  daily.m_Payments[payment] += ecr.m_TicketTotal;
  if (ecr.m_TicketKind == "TABLE") daily.m_Waiters[ecr.m_Tables[ecr.m_OpenTable].m_Waiter] += ecr.m_TicketTotal;
  ++daily.m_Receipts;
}

// A paid or voided receipt, with its closing lines, is the one a ticket copy reprints.
void EndReceipt(CRegister& ecr, const Printed& printed) {
  ecr.m_LastReceipt = ecr.m_ReceiptPrinted;
  ecr.m_LastReceipt.insert(ecr.m_LastReceipt.end(), printed.begin(), printed.end());
  ecr.m_TicketOpen = false;
  ecr.m_TicketLines.clear();
  ecr.m_TicketTotal = 0;
  ecr.m_OpenTable.clear();
}

int CloseTicket(CRegister& ecr, const std::string& line, Printed& printed) {
  if (!ecr.m_TicketOpen) return kResultNoTicketOpen;
  const std::string amountText = ChildValue(line, "AMOUNT");
  const auto paid = amountText.empty() ? std::optional<Cents>(0) : ParseAmount(amountText);
  if (!paid) return kResultBadValue;
  const Cents tendered = *paid == 0 ? ecr.m_TicketTotal : *paid;
  if (tendered < ecr.m_TicketTotal) return kResultPaymentShort;
  std::string payment = MarkupValue(line, "PAYMENTDESCRIPTION");
  if (payment.empty()) payment = "CASH";
  const std::string paymentKey = ChildValue(line, "PAYMENTTYPE").empty() ? payment : ChildValue(line, "PAYMENTTYPE");
  printed.push_back(Columns("TOTAL", FormatCents(ecr.m_TicketTotal)));
  printed.push_back(Columns(payment, FormatCents(tendered)));
  if (tendered > ecr.m_TicketTotal) printed.push_back(Columns("CHANGE", FormatCents(tendered - ecr.m_TicketTotal)));
  AddToDailyTotals(ecr, paymentKey);
  ++ecr.m_ReceiptNumber;
  printed.push_back("RECEIPT NO. " + std::to_string(ecr.m_ReceiptNumber));
  ecr.m_GrandTotal += ecr.m_TicketTotal;
  ecr.m_LastTotal = ecr.m_TicketTotal;
  if (ecr.m_TicketKind == "TABLE") ecr.m_Tables.erase(ecr.m_OpenTable);
  EndReceipt(ecr, printed);
  return kResultOk;
}

bool IsZeroText(const std::string& text) { return text.find_first_not_of('0') == std::string::npos && !text.empty(); }

// A table order: opening continues the table's balance; WAITER "0" parks the balance on the table.
int OpenTable(CRegister& ecr, const std::string& line, Printed& printed) {
  const std::string waiter = ChildValue(line, "WAITER");
  const std::string table = ChildValue(line, "TABLE").empty() ? "0" : ChildValue(line, "TABLE");
  if (IsZeroText(waiter)) {
    if (!ecr.m_TicketOpen || ecr.m_TicketKind != "TABLE") return kResultNoTicketOpen;
    ecr.m_Tables[ecr.m_OpenTable].m_Balance = ecr.m_TicketTotal;
    printed.push_back(Columns("TABLE " + ecr.m_OpenTable + " BALANCE", FormatCents(ecr.m_TicketTotal)));
    ecr.m_TicketOpen = false;
    ecr.m_TicketLines.clear();
    ecr.m_TicketTotal = 0;
    ecr.m_OpenTable.clear();
    return kResultOk;
  }
  if (ecr.m_TicketOpen) return kResultTicketAlreadyOpen;
  if (!ecr.InSalesState()) return kResultNotInSalesState;
  StartReceipt(ecr, "TABLE", printed);
  printed.push_back("TABLE " + table + " WAITER " + waiter);
  CTable& entry = ecr.m_Tables[table];
  entry.m_Waiter = waiter;
  ecr.m_OpenTable = table;
  ecr.m_TicketTotal = entry.m_Balance;
  if (entry.m_Balance != 0) ecr.m_TicketLines.push_back({"PREVIOUS ORDERS", entry.m_Balance, 1, {}, {}});
  return kResultOk;
}

int ChangeTable(CRegister& ecr, const std::string& line, Printed& printed) {
  if (ecr.m_TicketOpen) return kResultTicketAlreadyOpen;
  const std::string from = ChildValue(line, "FROM");
  const std::string to = ChildValue(line, "TO");
  const auto source = ecr.m_Tables.find(from);
  if (source == ecr.m_Tables.end() || to.empty()) return kResultUnknownTable;
  const CTable moved = source->second;
  ecr.m_Tables.erase(source);
  ecr.m_Tables[to].m_Balance += moved.m_Balance;
  ecr.m_Tables[to].m_Waiter = moved.m_Waiter;
  printed.push_back("TABLE " + from + " MOVED TO " + to);
  return kResultOk;
}

int TicketVoid(CRegister& ecr, const std::string&, Printed& printed) {
  if (!ecr.m_TicketOpen) return kResultNoTicketOpen;
  printed.push_back(Columns("RECEIPT VOIDED", FormatCents(ecr.m_TicketTotal)));
  ++ecr.m_Daily.m_Voided;
  EndReceipt(ecr, printed);
  return kResultOk;
}

int TicketCopy(CRegister& ecr, const std::string&, Printed& printed) {
  if (ecr.m_TicketOpen) return kResultTicketAlreadyOpen;
  if (ecr.m_LastReceipt.empty()) return kResultNothingToCopy;
  printed.push_back("*** COPY ***");
  printed.insert(printed.end(), ecr.m_LastReceipt.begin(), ecr.m_LastReceipt.end());
  return kResultOk;
}

int OpenDrawer(CRegister&, const std::string&, Printed& printed) {
  printed.push_back("DRAWER OPENED");
  return kResultOk;
}

using ElementHandler = std::function<int(CRegister&, const std::string&, Printed&)>;

const std::map<std::string, ElementHandler>& ElementTable() {
  static const std::map<std::string, ElementHandler> table = {
      {"OPEN_TICKET", OpenTicket},
      {"SELLITEM", [](CRegister& e, const std::string& l, Printed& p) { return SellItem(e, l, p, +1); }},
      {"PASTVOID", [](CRegister& e, const std::string& l, Printed& p) { return SellItem(e, l, p, -1); }},
      {"REFUND", [](CRegister& e, const std::string& l, Printed& p) { return SellItem(e, l, p, -1); }},
      {"DISCOUNT", Discount},
      {"PRINTLINE", PrintLine},
      {"CLOSE_TICKET", CloseTicket},
      {"OPEN_TABLE", OpenTable},
      {"CHANGE_TABLE", ChangeTable},
      {"TICKETVOID", TicketVoid},
      {"TICKETCOPY", TicketCopy},
      {"OPEN_DRAWER", OpenDrawer},
  };
  return table;
}

// The lines an element printed for a receipt, from the header that opened it to the line that ended or
// parked it, go to the history as they are printed; while the receipt stays open they are also kept,
// for its copy once it ends.
void KeepReceiptLines(CRegister& ecr, bool receiptWasOpen, const Printed& lines) {
  if (!receiptWasOpen && !ecr.m_TicketOpen) return;
  ecr.m_NewHistory.insert(ecr.m_NewHistory.end(), lines.begin(), lines.end());
  if (ecr.m_TicketOpen) ecr.m_ReceiptPrinted.insert(ecr.m_ReceiptPrinted.end(), lines.begin(), lines.end());
  else ecr.m_ReceiptPrinted.clear();
}

}  // namespace

int ExecuteElement(CRegister& ecr, const std::string& element, std::vector<std::string>& printed) {
  const auto handler = ElementTable().find(ElementName(element));
  if (handler == ElementTable().end()) return kResultUnknownElement;
  const bool receiptWasOpen = ecr.m_TicketOpen;
  Printed lines;
  const int result = handler->second(ecr, element, lines);
  if (result != kResultOk) return result;
  KeepReceiptLines(ecr, receiptWasOpen, lines);
  printed.insert(printed.end(), lines.begin(), lines.end());
  return result;
}

}  // namespace emulator

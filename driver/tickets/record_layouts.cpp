#include "driver/tickets/record_layouts.h"

#include <array>

namespace driver {
namespace {

constexpr unsigned TN = kTrimBoth | kNumeric;
constexpr unsigned RLE = kTrimRight | kLimited | kEscaped;

// Codes 0 and 58: opening a ticket.
constexpr FieldLayout kInvoiceOnly[] = {{"INVOICE", 0, kToEnd, TN}};
constexpr FieldLayout kInvoiceIssue[] = {{"INVOICE", 0, 2, TN}, {"ISSUE_TYPE", 2, kToEnd, TN}};
constexpr FieldLayout kCreditNote[] = {{"CREDIT_NOTE", 0, kToEnd, kTrimBoth}};

// Codes 1, 2, 3, 11: an item line.
#define QOR_ITEM_FIELDS                                                                        \
  {"PLUCODE", 0, 25, kTrimBoth}, {"PRICE", 25, 10, TN}, {"DEPARTMENT", 35, 3, TN},            \
      {"DESCRIPTION", 38, 42, RLE}, { "QUANTITY", 80, kToEnd, TN }
constexpr FieldLayout kItem[] = {QOR_ITEM_FIELDS};
constexpr FieldLayout kRefundAtCounter[] = {{"TABLE", 0, 0, 0, "0"}, QOR_ITEM_FIELDS};
constexpr FieldLayout kRefundAtTable[] = {{"TABLE", 0, 0, 0, "1"}, QOR_ITEM_FIELDS};
#undef QOR_ITEM_FIELDS

constexpr FieldLayout kDiscountShort[] = {
    {"DESCRIPTION", 0, 42, RLE}, {"SBT", 42, 3, TN}, {"TYPE", 45, 3, TN}, {"AMOUNT", 48, kToEnd, TN}};
constexpr FieldLayout kDiscountLong[] = {{"DESCRIPTION", 0, 42, RLE}, {"SBT", 42, 3, TN}, {"TYPE", 45, 3, TN},
                                         {"AMOUNT", 48, 10, TN},      {"QTY", 58, kToEnd, TN}};

constexpr FieldLayout kPrintLine[] = {{"MODE", 0, 2, TN}, {"MESSAGE", 2, kToEnd, RLE}};

constexpr FieldLayout kCloseShort[] = {
    {"AMOUNT", 0, 10, TN}, {"PAYMENTDESCRIPTION", 10, 36, RLE}, {"PAYMENTTYPE", 46, kToEnd, TN}};
// The long form's payment description is not limited.
constexpr FieldLayout kCloseLong[] = {{"AMOUNT", 0, 10, TN},
                                      {"PAYMENTDESCRIPTION", 10, 36, kTrimRight | kEscaped},
                                      {"PAYMENTTYPE", 46, 3, TN},
                                      {"ISSUE_TYPE", 49, kToEnd, TN}};

constexpr FieldLayout kChangeTable[] = {{"FROM", 0, 3, TN}, {"TO", 3, 3, TN}};
constexpr FieldLayout kReport[] = {{"TYPE", 0, 3, TN}, {"PRINT", 3, kToEnd, TN | kZeroWhenAbsent}};

constexpr FieldLayout kHeader[] = {{"LINE1", 2, 21, kTrimRight},  {"LINE2", 23, 21, kTrimRight},
                                   {"LINE3", 44, 21, kTrimRight}, {"LINE4", 65, 21, kTrimRight},
                                   {"LINE5", 86, 21, kTrimRight}, {"LINE6", 107, 21, kTrimRight}};

constexpr FieldLayout kDepartmentShort[] = {{"DEPARTMENT", 0, 3, TN}, {"DESCRIPTION", 3, 30, kTrimRight},
                                            {"TAX", 33, 2, TN},       {"LALO", 35, 10, TN},
                                            {"HALO", 45, kToEnd, TN}};
constexpr FieldLayout kDepartmentLong[] = {{"DEPARTMENT", 0, 3, TN}, {"DESCRIPTION", 3, 30, kTrimRight},
                                           {"TAX", 33, 2, TN},       {"LALO", 35, 10, TN},
                                           {"HALO", 45, 10, TN},     {"PRICE", 55, kToEnd, TN}};

constexpr FieldLayout kPluShort[] = {{"CODE", 0, 13, kTrimBoth}, {"DESCRIPTION", 13, 30, kTrimRight},
                                     {"PRICE", 43, 10, TN},      {"DEPARTMENT", 53, 3, TN},
                                     {"TAX", 56, 2, TN}};
constexpr FieldLayout kPluLong[] = {{"CODE", 0, 13, kTrimBoth}, {"DESCRIPTION", 13, 30, kTrimRight},
                                    {"PRICE", 43, 10, TN},      {"DEPARTMENT", 53, 3, TN},
                                    {"TAX", 56, 2, TN},         {"DISCOUNT", 58, 4, TN},
                                    {"OFFER", 62, 5, TN},       {"PRICE1", 67, 10, TN},
                                    {"FMULT", 77, 3, TN}};

constexpr FieldLayout kProtocolCommand[] = {{"CMD", 0, kToEnd, kTrimBoth}};

constexpr FieldLayout kOffer[] = {{"CODE", 0, 12, kTrimBoth}, {"DESCRIPTION", 12, 30, kTrimRight},
                                  {"PRICE", 42, 10, TN},      {"DEPARTMENT", 52, 3, TN},
                                  {"NITEM", 55, 5, TN},       {"FMULT", 60, 3, TN}};

constexpr std::span<const FieldLayout> kNoFields{};

constexpr RecordForm kOpenTicketForms[] = {{1, 2, "OPEN_TICKET", kInvoiceOnly}, {3, 4, "OPEN_TICKET", kInvoiceIssue}};
constexpr RecordForm kSellForms[] = {{81, kUnbounded, "SELLITEM", kItem}};
constexpr RecordForm kPastVoidForms[] = {{81, kUnbounded, "PASTVOID", kItem}};
constexpr RecordForm kRefundForms[] = {{81, kUnbounded, "REFUND", kRefundAtCounter}};
constexpr RecordForm kTableRefundForms[] = {{81, kUnbounded, "REFUND", kRefundAtTable}};
constexpr RecordForm kDiscountForms[] = {{49, 58, "DISCOUNT", kDiscountShort}, {59, kUnbounded, "DISCOUNT", kDiscountLong}};
constexpr RecordForm kPrintLineForms[] = {{3, kUnbounded, "PRINTLINE", kPrintLine}};
constexpr RecordForm kCloseForms[] = {{47, 49, "CLOSE_TICKET", kCloseShort}, {50, 51, "CLOSE_TICKET", kCloseLong}};
constexpr RecordForm kTicketVoidForms[] = {{0, kUnbounded, "TICKETVOID", kNoFields}};
constexpr RecordForm kTicketCopyForms[] = {{0, kUnbounded, "TICKETCOPY", kNoFields}};
constexpr RecordForm kReadStatusForms[] = {{0, kUnbounded, "READ_STATUS", kNoFields}};
constexpr RecordForm kChangeTableForms[] = {{6, kUnbounded, "CHANGE_TABLE", kChangeTable}};
constexpr RecordForm kOpenDrawerForms[] = {{0, kUnbounded, "OPEN_DRAWER", kNoFields}};
constexpr RecordForm kTableSummaryForms[] = {{0, kUnbounded, "TABLE_SUMMARY", kNoFields}};
constexpr RecordForm kReportForms[] = {{1, kUnbounded, "REPORT_REQUEST", kReport}};
constexpr RecordForm kHeaderForms[] = {{107, kUnbounded, "SET_HEADER", kHeader}};
constexpr RecordForm kDepartmentForms[] = {{46, 55, "SET_DEPARTMENT", kDepartmentShort},
                                           {56, kUnbounded, "SET_DEPARTMENT", kDepartmentLong}};
constexpr RecordForm kPluForms[] = {{57, 58, "SET_PLU", kPluShort}, {59, kUnbounded, "SET_PLU", kPluLong}};
constexpr RecordForm kProtocolForms[] = {{1, 116, "PROTOCOL_CMD", kProtocolCommand}};
constexpr RecordForm kOfferForms[] = {{61, kUnbounded, "SET_OFF", kOffer}};
constexpr RecordForm kCreditNoteForms[] = {{1, 16, "OPEN_TICKET", kCreditNote}};

constexpr RecordLayout kLayouts[] = {
    {"0", kOpenTicketForms},    {"1", kSellForms},          {"2", kPastVoidForms},    {"3", kRefundForms},
    {"4", kDiscountForms},      {"5", kPrintLineForms},     {"6", kCloseForms},       {"8", kTicketVoidForms},
    {"9", kTicketCopyForms},    {"10", kReadStatusForms},   {"11", kTableRefundForms}, {"12", kChangeTableForms},
    {"13", kOpenDrawerForms},   {"14", kTableSummaryForms}, {"51", kReportForms},     {"52", kHeaderForms},
    {"53", kDepartmentForms},   {"54", kPluForms},          {"55", kProtocolForms},   {"57", kOfferForms},
    {"58", kCreditNoteForms},
};

}  // namespace

const RecordLayout* FindRecordLayout(std::string_view code) {
  for (const RecordLayout& layout : kLayouts)
    if (layout.code == code) return &layout;
  return nullptr;
}

}  // namespace driver

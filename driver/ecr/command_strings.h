#pragma once
// The registers' native command strings, built from a register's programming inputs. Pure functions:
// text in, text out. The star family serves register types 0 and 3, the zero family types 1 and 2.
// Every "%s" takes its text as stored, neither cut nor filled; widths right-align and never cut.

#include <cstdint>
#include <string>
#include <vector>

namespace driver {

// printf-style formatting into a string of any length.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Zero-family amounts: the first "," becomes ".", the number times 100 as a whole number ("12,50" and
// "12.5" give "1250"; "" gives "0").
std::string CentsText(const std::string& amount);

// Star-family PLU prices: "12,50" gives "1250", "12" gives "1200", "12,5" gives "125".
std::string PluPriceDigits(const std::string& price);

// The key-switch command of a key letter: "C", "L", "P" have their own; any other letter gives "*Si".
std::string KeySwitchCommand(char letter);

// Star-family registers take decimal commas: the first "." of a programming value becomes ",".
std::string WithDecimalComma(std::string value);

// A decimal integer from the start of a value: optional sign, then digits up to the first other
// character; an empty or non-numeric value gives 0.
std::int32_t ReadNumber(const std::string& value);

struct CDepartmentRecord {
  std::int32_t m_Number = 0;
  std::string m_Description;
  std::string m_Price;
  std::string m_Lalo;
  std::string m_Halo;
  std::int32_t m_Tax = 0;
};

struct CPluRecord {
  std::string m_Code;
  std::string m_Description;
  std::string m_Price;
  std::int32_t m_Department = 0;
  std::int32_t m_Tax = 0;
  std::string m_Discount;
  std::string m_Offer;
  std::string m_Price1;
  std::string m_Fmult;
};

struct COfferRecord {
  std::string m_Code;
  std::string m_Description;
  std::int32_t m_Department = 0;
  std::string m_Price;
  std::string m_Nitem;
  std::string m_Fmult;
};

// Star family: the commands of one record, sent one after another.
std::vector<std::string> StarDepartmentCommands(const CDepartmentRecord& record);
std::vector<std::string> StarPluCommands(const CPluRecord& record);
// Star family: header line n (1..6) and the command that ends header programming.
std::string StarHeaderLineCommand(int line, const std::string& text);
inline constexpr const char* kStarHeaderEnd = "*S92Q";
// Star family: the confirmation made from characters 4-7 of the hello code (fewer when it is short).
std::string StarHelloCodeCommand(const std::string& helloCode);

// Zero family: the upload line of one record.
std::string ZeroDepartmentLine(const CDepartmentRecord& record);
std::string ZeroPluLine(const CPluRecord& record);
std::string ZeroOfferLine(const COfferRecord& record);

// Requests for reports and zero-sets: code and in-text.
std::int32_t ReportRequestCode(std::int32_t reportType);
std::string ReportRequestText(std::int32_t printFlag);
std::int32_t ZeroSetRequestCode(std::int32_t zeroSetType);
std::string ZeroSetRequestText(std::int32_t printFlag);

// Last total on the zero family's customer and operator displays, right-aligned in digits - 1.
std::string CustomerDisplayCommand(std::int32_t customerDigits, const std::string& lastPrice);
std::string OperatorDisplayCommand(std::int32_t operatorDigits, const std::string& lastPrice);

// Fixed commands.
inline constexpr const char* kStarClearDisplay = "*SZ";
inline constexpr const char* kZeroClearDisplay = "0;#S3:3;";
inline constexpr const char* kStarLock = "*LI";
inline constexpr const char* kZeroLock = "0;*2;";
inline constexpr const char* kZeroLockConfirm = "0;";
inline constexpr const char* kStarUnlock = "*U";
inline constexpr const char* kZeroUnlock = "0;*3;";
inline constexpr const char* kZeroTicketMode = "0;+1;";
inline constexpr const char* kZeroWake = "0;";
inline constexpr const char* kTableSummary = "0;*2;#S141;*3;";
inline constexpr const char* kStarPluBatchStart = "*S11Q";
inline constexpr const char* kStarPluBatchEnd = "*SK";
inline constexpr const char* kStarHelloCodeQuery = "*I";
inline constexpr const char* kStarHeaderStart = "*S30Q";
inline constexpr const char* kStarFiscalClosure = "*SkK";
inline constexpr const char* kZeroDepartmentUpload = "0;*2;+4;*F;*3;";
inline constexpr const char* kZeroPluUpload = "0;*2;+4;*G;*3;";
inline constexpr const char* kZeroOfferUpload = "0;*2;+4;*L;*3;";
inline constexpr const char* kZeroHeaderExchange = "0;*2;+4;*T;*3;";
inline constexpr const char* kZeroFiscalClosure = "0;*2;+3;#Z;*3;+1;";
// After a zero-family exchange: the register takes the header it fetched / goes back to sales.
inline constexpr const char* kExchangeDoneCommand = "0;*2;#a;*3;+1;";
inline constexpr const char* kQueueEmptyCommand = "0;*3;+1;";
inline constexpr const char* kLastTotalQuery = "%S%";
inline constexpr const char* kTicketVoidElement = "<TICKETVOID></TICKETVOID>";

}  // namespace driver

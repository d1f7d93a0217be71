#include "driver/ecr/command_strings.h"

#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "platform/text_encoding.h"

namespace driver {
namespace {

std::string FormatArguments(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// Reads a decimal number the way the registers' amount fields are meant: leading blanks and a sign
// allowed, reading stops at the first character that does not belong. Independent of the locale, so
// a desktop language that writes decimal commas cannot change an amount.
double ReadDecimal(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  double value = 0;
  auto result = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (result.ec != std::errc()) return 0;
  return negative ? -value : value;
}

}  // namespace

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatArguments(format, args);
  va_end(args);
  return text;
}

std::string CentsText(const std::string& amount) {
  std::string text = amount;
  std::size_t comma = text.find(',');
  if (comma != std::string::npos) text[comma] = '.';
  return FormatText("%.0f", ReadDecimal(text) * 100);
}

std::string PluPriceDigits(const std::string& price) {
  std::size_t comma = price.find(',');
  if (comma == std::string::npos) return price + "00";
  return price.substr(0, comma) + price.substr(comma + 1);
}

std::string KeySwitchCommand(char letter) {
  switch (letter) {
    case 'C': return "*Sk";
    case 'L': return "*Sj";
    case 'P': return "*Sl";
    default: return "*Si";
  }
}

std::string WithDecimalComma(std::string value) {
  std::size_t dot = value.find('.');
  if (dot != std::string::npos) value[dot] = ',';
  return value;
}

std::int32_t ReadNumber(const std::string& value) {
  std::size_t at = 0;
  bool negative = false;
  if (at < value.size() && (value[at] == '+' || value[at] == '-')) negative = value[at++] == '-';
  std::int64_t number = 0;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
    number = number * 10 + (value[at] - '0');
    if (number > kLimit + 1) number = kLimit + 1;
  }
  if (negative) return static_cast<std::int32_t>(-number);
  return static_cast<std::int32_t>(number > kLimit ? kLimit : number);
}

std::vector<std::string> StarDepartmentCommands(const CDepartmentRecord& r) {
  std::vector<std::string> commands;
  commands.push_back(FormatText("*S01Q%dB$%s$QK", r.m_Number, r.m_Description.c_str()));
  commands.push_back(FormatText("*S04Q%dB%dQK", r.m_Number, r.m_Tax));
  if (!r.m_Price.empty()) commands.push_back(FormatText("*S02Q%dB%sQK", r.m_Number, r.m_Price.c_str()));
  commands.push_back(FormatText("*S05Q%dB%sQK", r.m_Number, r.m_Lalo.c_str()));
  commands.push_back(FormatText("*S06Q%dB%sQK", r.m_Number, r.m_Halo.c_str()));
  return commands;
}

// The widths of "*WH0%13s%10s0000" and "*WH1%18s%c%d" are the register's columns: they count
// characters, so a Greek code or description is aligned like a Latin one.
std::vector<std::string> StarPluCommands(const CPluRecord& r) {
  std::string digits = PluPriceDigits(r.m_Price);
  char departmentLetter = static_cast<char>(64 + r.m_Department);
  return {"*WH0" + platform::Utf8PadLeft(r.m_Code, 13) + platform::Utf8PadLeft(digits, 10) + "0000",
          "*WH1" + platform::Utf8PadLeft(r.m_Description, 18) + FormatText("%c%d", departmentLetter, r.m_Tax)};
}

std::string StarHeaderLineCommand(int line, const std::string& text) {
  return FormatText("*S3%dQ$%s$K", line - 1, text.c_str());
}

std::string StarHelloCodeCommand(const std::string& helloCode) {
  std::string characters = helloCode.size() > 4 ? helloCode.substr(4, 4) : std::string();
  return "*S" + characters + "K";
}

std::string ZeroDepartmentLine(const CDepartmentRecord& r) {
  std::string halo = CentsText(r.m_Halo);
  std::string lalo = CentsText(r.m_Lalo);
  if (r.m_Price.empty()) {
    return FormatText("%d:%s::%s:%s::%d:::::::", r.m_Number, r.m_Description.c_str(), halo.c_str(),
                      lalo.c_str(), r.m_Tax);
  }
  return FormatText("%d:%s::%s:%s:%s:%d:::::::", r.m_Number, r.m_Description.c_str(), halo.c_str(),
                    lalo.c_str(), CentsText(r.m_Price).c_str(), r.m_Tax);
}

std::string ZeroPluLine(const CPluRecord& r) {
  return FormatText("%s:%s:%d:%s:%s:%s:%s:%d:%s::", r.m_Code.c_str(), CentsText(r.m_Price).c_str(),
                    r.m_Department, r.m_Description.c_str(), r.m_Discount.c_str(), r.m_Offer.c_str(),
                    r.m_Price1.c_str(), r.m_Tax, r.m_Fmult.c_str());
}

std::string ZeroOfferLine(const COfferRecord& r) {
  return FormatText("%s:%s:%d:%s::%s:::%s::", r.m_Code.c_str(), CentsText(r.m_Price).c_str(), r.m_Department,
                    r.m_Description.c_str(), r.m_Nitem.c_str(), r.m_Fmult.c_str());
}

std::int32_t ReportRequestCode(std::int32_t reportType) {
  return 51 + (reportType >= 0 && reportType <= 7 ? reportType : 0);
}

std::string ReportRequestText(std::int32_t printFlag) {
  return FormatText("<REPORT><PRINT>%d</PRINT></REPORT>", printFlag);
}

std::int32_t ZeroSetRequestCode(std::int32_t zeroSetType) {
  return 80 + (zeroSetType >= 0 && zeroSetType <= 5 ? zeroSetType : 0);
}

std::string ZeroSetRequestText(std::int32_t printFlag) {
  return FormatText("<ZEROSET><PRINT>%d</PRINT></ZEROSET>", printFlag);
}

std::string CustomerDisplayCommand(std::int32_t customerDigits, const std::string& lastPrice) {
  return FormatText("0;(T%*s;", customerDigits - 1, lastPrice.c_str());
}

std::string OperatorDisplayCommand(std::int32_t operatorDigits, const std::string& lastPrice) {
  return FormatText("0;>T%*s;", operatorDigits - 1, lastPrice.c_str());
}

}  // namespace driver

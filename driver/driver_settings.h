#pragma once
// The driver's settings from "QorDriver.ini" in the base directory, read once at start-up.

#include <cstdint>
#include <string>

#include "platform/text_encoding.h"

namespace driver {

class CEcrContext;

inline constexpr const char* kDriverSettingsFile = "QorDriver.ini";

struct CDriverSettings {
  bool m_SetPriorityHigh = false;
  bool m_OnErrorContinue = true;
  bool m_OnErrorVoidTicket = false;
  bool m_DisplayLastTotal = false;
  bool m_DescriptionCheck = false;
  bool m_SingleClient = true;
  bool m_Durable = true;  // what the driver writes is flushed to the disk before the register acts on it
  // Every register's folder is listed this often, for what no notification told ("RescanSeconds").
  int m_RescanSeconds = 30;
  // The group the ticket folders are shared with, so that tills in other accounts can use them
  // ("TicketGroup"; empty: the folders keep the driver's own rights).
  std::string m_TicketGroup;
  // What the tills write tickets in ("TicketEncoding", UTF-8 unless a single-byte code page is named).
  platform::CTextEncoding m_TicketEncoding = platform::CTextEncoding::Utf8();
  // Where the metrics for a Prometheus text file collector go ("MetricsFile"; empty: none; a
  // relative path lies in the base directory).
  std::string m_MetricsFile;
};

// A boolean setting: on exactly when its value (read with room for 8 characters) begins with "1".
bool ReadBooleanSetting(const std::string& iniPath, const char* section, const char* key, const char* defaultValue);

// "SetPriorityHigh" alone: the priority step runs before the other settings are read.
bool ReadSetPriorityHigh(const std::string& iniPath);

// The switches of the driver.
CDriverSettings ReadDriverSettings(const std::string& iniPath);

// Display widths of a register; read only for types 1 and 2, the others keep theirs.
void ReadDisplayDigits(const std::string& iniPath, CEcrContext& ecr);

}  // namespace driver

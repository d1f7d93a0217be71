#include "driver/driver_settings.h"

#include "driver/control/ecr_context.h"
#include "platform/debug_log.h"
#include "platform/profile.h"

namespace driver {
namespace {

constexpr std::size_t kBooleanSize = 9;

struct BooleanSetting {
  const char* section;
  const char* key;
  const char* defaultValue;
  bool CDriverSettings::*field;
};

constexpr BooleanSetting kBooleanSettings[] = {
    {"TillJob", "OnErrorContinue", "1", &CDriverSettings::m_OnErrorContinue},
    {"TillJob", "OnErrorVoidTicket", "0", &CDriverSettings::m_OnErrorVoidTicket},
    {"TillJob", "DisplayLastTotal", "0", &CDriverSettings::m_DisplayLastTotal},
    {"TillJob", "DescriptionCheck", "0", &CDriverSettings::m_DescriptionCheck},
    {"OCXManager", "SingleClient", "1", &CDriverSettings::m_SingleClient},
    {"TillJob", "Durable", "1", &CDriverSettings::m_Durable},
};

constexpr int kDefaultRescanSeconds = 30;

constexpr const char* kCustomerDigitsSection = "ZELCustomerDisplayDigits";
constexpr const char* kOperatorDigitsSection = "ZELOperatorDisplayDigits";
constexpr int kDefaultDisplayDigits = 20;

}  // namespace

bool ReadBooleanSetting(const std::string& iniPath, const char* section, const char* key, const char* defaultValue) {
  std::string value = platform::GetPrivateProfileString(section, key, defaultValue, kBooleanSize, iniPath);
  return !value.empty() && value.front() == '1';
}

bool ReadSetPriorityHigh(const std::string& iniPath) {
  return ReadBooleanSetting(iniPath, "TillJob", "SetPriorityHigh", "0");
}

CDriverSettings ReadDriverSettings(const std::string& iniPath) {
  CDriverSettings settings;
  settings.m_SetPriorityHigh = ReadSetPriorityHigh(iniPath);
  for (const BooleanSetting& setting : kBooleanSettings)
    settings.*setting.field = ReadBooleanSetting(iniPath, setting.section, setting.key, setting.defaultValue);
  // Read as unsigned: a negative or absurd value falls back to the default; a day at most.
  const std::uint32_t rescan = platform::GetPrivateProfileInt("TillJob", "RescanSeconds", kDefaultRescanSeconds, iniPath);
  settings.m_RescanSeconds = rescan >= 1 && rescan <= 86400 ? static_cast<int>(rescan) : kDefaultRescanSeconds;
  settings.m_TicketGroup = platform::GetPrivateProfileString("TillJob", "TicketGroup", "", 256, iniPath);
  settings.m_MetricsFile = platform::GetPrivateProfileString("TillJob", "MetricsFile", "", 4096, iniPath);
  const std::string encoding = platform::GetPrivateProfileString("TillJob", "TicketEncoding", "UTF-8", 64, iniPath);
  if (std::optional<platform::CTextEncoding> named = platform::CTextEncoding::Named(encoding)) {
    settings.m_TicketEncoding = std::move(*named);
  } else {
    platform::DebugLog("[ZEDO] TicketEncoding [%s] is neither UTF-8 nor a single-byte code page this system knows: "
                       "tickets are read as UTF-8", encoding.c_str());
  }
  return settings;
}

void ReadDisplayDigits(const std::string& iniPath, CEcrContext& ecr) {
  if (!ecr.IsZeroFamily()) return;
  const std::string key = "ECR" + std::to_string(ecr.m_EcrId);
  CDisplayDigits digits;
  digits.m_CustomerDigits = static_cast<std::int32_t>(
      platform::GetPrivateProfileInt(kCustomerDigitsSection, key, kDefaultDisplayDigits, iniPath));
  digits.m_OperatorDigits = static_cast<std::int32_t>(
      platform::GetPrivateProfileInt(kOperatorDigitsSection, key, kDefaultDisplayDigits, iniPath));
  ecr.SetDisplayDigits(digits);
}

}  // namespace driver

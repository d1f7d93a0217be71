#include "driver/messages.h"

#include <mutex>

#include "platform/profile.h"
#include "platform/store.h"
#include "platform/text_encoding.h"

namespace driver {
namespace {

constexpr const char* kCatalogueSection = "testi";
constexpr std::size_t kMessageSize = 256;
constexpr std::size_t kLanguageSize = 260;

// The current catalogue: set at start-up and on every language change, read by every lookup.
struct CatalogueState {
  std::mutex lock;
  std::string baseDirectory;
  std::string path = std::string(kDefaultLanguage) + "Messages.txt";
};

CatalogueState& State() {
  static CatalogueState state;
  return state;
}

void UseCatalogue(const std::string& language) {
  CatalogueState& state = State();
  std::lock_guard guard(state.lock);
  state.path = state.baseDirectory + PlainLanguageName(language) + "Messages.txt";
}

// The stored language; a missing key is created holding the default.
std::string ReadLanguage(platform::Store& store) {
  if (!store.KeyExists(kLanguageKey)) {
    store.SetValue(kLanguageKey, kLanguageValue, kDefaultLanguage);
    return kDefaultLanguage;
  }
  std::optional<std::string> value = store.GetValue(kLanguageKey, kLanguageValue);
  if (!value) return kDefaultLanguage;
  if (value->size() > kLanguageSize - 1) value->resize(kLanguageSize - 1);
  return PlainLanguageName(*value);
}

}  // namespace

std::string PlainLanguageName(std::string_view language) {
  bool unsafe = language.empty() || language.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos ||
                language.find("..") != std::string_view::npos;
  return unsafe ? std::string(kDefaultLanguage) : std::string(language);
}

std::string InitMessageLanguage(const std::string& baseDirectory, platform::Store& store) {
  {
    CatalogueState& state = State();
    std::lock_guard guard(state.lock);
    state.baseDirectory = baseDirectory;
  }
  return StoredLanguage(store);
}

std::string StoredLanguage(platform::Store& store) {
  std::string language = ReadLanguage(store);
  UseCatalogue(language);
  return language;
}

void ChangeLanguage(const std::string& language, platform::Store& store) {
  std::string plain = PlainLanguageName(language);
  store.SetValue(kLanguageKey, kLanguageValue, plain);
  UseCatalogue(plain);
}

// The catalogues are UTF-8: a text longer than the message room is cut before the character the
// room would split, never inside it.
std::string LoadMessage(std::string_view number) {
  std::string text = platform::GetPrivateProfileString(kCatalogueSection, number, kMissingMessage, kMessageSize,
                                                       CurrentCatalogue());
  if (text.size() == kMessageSize - 1) {
    if (std::optional<std::size_t> cut = platform::FirstInvalidUtf8(text); cut && *cut + 4 > text.size())
      text.resize(*cut);
  }
  return text;
}

std::string FillIn(std::string_view text, const std::vector<std::string>& values) {
  std::string filled;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const bool placeholder = text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9';
    const std::size_t index = placeholder ? static_cast<std::size_t>(text[at + 1] - '1') : values.size();
    if (index < values.size()) {
      filled += values[index];
      ++at;
    } else {
      filled += text[at];
    }
  }
  return filled;
}

std::string CurrentCatalogue() {
  CatalogueState& state = State();
  std::lock_guard guard(state.lock);
  return state.path;
}

}  // namespace driver

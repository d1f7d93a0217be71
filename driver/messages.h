#pragma once
// The message language: every text the driver shows to a person is looked up by number in the
// catalogue of the chosen language ("<base>EnglishMessages.txt", section "testi"). The language is a
// machine-wide setting in the store and can change while the driver runs; the current catalogue is
// one process-wide path, so every part of the driver sees a change at once.

#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Store;
}

namespace driver {

inline constexpr const char* kLanguageKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\VARO\\TillJob";
inline constexpr const char* kLanguageValue = "Language";
inline constexpr const char* kDefaultLanguage = "English";
inline constexpr const char* kMissingMessage = "!?!";

// The languages offered to the user, in the order they are listed.
inline constexpr const char* kLanguages[] = {"English", "Greek", "Italian"};

// A language name that can safely become part of a catalogue file name: anything that could lead
// the path out of the base directory (separators, "..") or is empty counts as the default language.
std::string PlainLanguageName(std::string_view language);

// Start-up: reads "Language" from the store (creating the key with "English" when it is missing) and
// makes its catalogue in baseDirectory current. Returns the language in use.
std::string InitMessageLanguage(const std::string& baseDirectory, platform::Store& store);

// The stored language ("English", with the key created, when there is none); also makes its catalogue
// current. What the About dialog shows when it opens.
std::string StoredLanguage(platform::Store& store);

// Stores language as "Language" and switches the current catalogue at once.
void ChangeLanguage(const std::string& language, platform::Store& store);

// The text of a message number from the current catalogue, at most 255 characters; "!?!" when the
// catalogue, its section or the number is missing.
std::string LoadMessage(std::string_view number);

// A catalogue text with "%1" to "%9" replaced by the values in order. One pass, so a value that
// holds "%2" is never read as a placeholder; a placeholder without a value is left as it stands.
std::string FillIn(std::string_view text, const std::vector<std::string>& values);

// The current catalogue's path.
std::string CurrentCatalogue();

}  // namespace driver

#include "driver/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <unistd.h>

#include <filesystem>

#include "platform/store.h"
#include "platform/text_encoding.h"
#include "testsupport/temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteFile;

// A base directory with two small catalogues and a store of its own.
class MessageLanguage : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(m_Folder / "base");
    WriteFile(Base() + "EnglishMessages.txt", "[testi]\r\n4=Control failed\r\n5=Close failed\r\n");
    std::string longGreek = "x";
    for (int n = 0; n < 200; ++n) longGreek += "Ω";
    WriteFile(Base() + "GreekMessages.txt", "[testi]\r\n4=Αποτυχία ελέγχου\r\n7=" + longGreek + "\r\n");
  }
  std::string Base() const { return m_Folder / "base/"; }

  TempFolder m_Folder;
  platform::Store m_Store{m_Folder / "registry"};
};

TEST_F(MessageLanguage, FirstStartCreatesTheKeyWithEnglish) {
  ASSERT_FALSE(m_Store.KeyExists(driver::kLanguageKey));
  EXPECT_EQ(driver::InitMessageLanguage(Base(), m_Store), "English");
  EXPECT_EQ(m_Store.GetValue(driver::kLanguageKey, "Language"), "English");
  EXPECT_EQ(driver::CurrentCatalogue(), Base() + "EnglishMessages.txt");
  EXPECT_EQ(driver::LoadMessage("4"), "Control failed");
}

TEST_F(MessageLanguage, AChangeTakesEffectOnTheNextLookupAndIsStored) {
  driver::InitMessageLanguage(Base(), m_Store);
  ASSERT_EQ(driver::LoadMessage("4"), "Control failed");
  driver::ChangeLanguage("Greek", m_Store);
  EXPECT_EQ(driver::LoadMessage("4"), "Αποτυχία ελέγχου");
  EXPECT_EQ(m_Store.GetValue(driver::kLanguageKey, "Language"), "Greek");
  // The next start takes the stored language.
  driver::ChangeLanguage("English", m_Store);
  m_Store.SetValue(driver::kLanguageKey, "Language", "Greek");
  EXPECT_EQ(driver::InitMessageLanguage(Base(), m_Store), "Greek");
  EXPECT_EQ(driver::LoadMessage("4"), "Αποτυχία ελέγχου");
}

TEST_F(MessageLanguage, MissingTextsReadAsQuestionMarks) {
  driver::InitMessageLanguage(Base(), m_Store);
  EXPECT_EQ(driver::LoadMessage("99"), "!?!");
  driver::ChangeLanguage("Greek", m_Store);
  EXPECT_EQ(driver::LoadMessage("5"), "!?!");  // in English only
  // A text longer than the message room loses the character the room would split, not half of it.
  EXPECT_EQ(driver::LoadMessage("7"), "x" + [] { std::string o; for (int n = 0; n < 127; ++n) o += "Ω"; return o; }());
  driver::ChangeLanguage("Italian", m_Store);  // no catalogue at all
  EXPECT_EQ(driver::LoadMessage("4"), "!?!");
}

TEST_F(MessageLanguage, KeyWithoutValueCountsAsEnglishAndIsLeftAlone) {
  m_Store.CreateKey(driver::kLanguageKey);
  EXPECT_EQ(driver::InitMessageLanguage(Base(), m_Store), "English");
  EXPECT_EQ(m_Store.GetValue(driver::kLanguageKey, "Language"), std::nullopt);
}

// A language value is part of a file name: one that would lead the catalogue path out of the base
// directory is taken as English, whether it comes from the store or from a change.
class LanguageEscape : public MessageLanguage, public testing::WithParamInterface<const char*> {};

TEST_P(LanguageEscape, NeverLeavesTheBaseDirectory) {
  WriteFile(m_Folder / "EvilMessages.txt", "[testi]\r\n4=escaped\r\n");
  std::filesystem::create_directory(m_Folder / "base/sub");
  WriteFile(Base() + "sub/EvilMessages.txt", "[testi]\r\n4=escaped\r\n");

  m_Store.SetValue(driver::kLanguageKey, "Language", GetParam());
  EXPECT_EQ(driver::InitMessageLanguage(Base(), m_Store), "English");
  EXPECT_EQ(driver::CurrentCatalogue(), Base() + "EnglishMessages.txt");
  EXPECT_EQ(driver::LoadMessage("4"), "Control failed");

  driver::ChangeLanguage("Greek", m_Store);
  driver::ChangeLanguage(GetParam(), m_Store);
  EXPECT_EQ(driver::LoadMessage("4"), "Control failed");
  EXPECT_EQ(m_Store.GetValue(driver::kLanguageKey, "Language"), "English");
}

INSTANTIATE_TEST_SUITE_P(Values, LanguageEscape,
                         testing::Values("../Evil", "sub/Evil", "sub\\Evil", "..", "", "/tmp/Evil", "Evil/../../Evil"));

// Every number the driver shows has a text in every shipped catalogue.
TEST(MessageCatalogues, EveryLanguageHasEveryNumber) {
  const char* numbers[] = {"1",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12", "13", "15",
                           "16", "17", "20", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30",
                           "31", "32", "33", "34", "35", "36", "37", "38", "39", "40", "41", "42", "43",
                           "44", "45", "46", "47", "48", "49", "52", "53", "54", "55", "56", "57", "58",
                           "59", "60", "61", "62", "63", "64", "65", "66", "67", "68", "69", "70", "71",
                           "72", "73", "74", "75", "76", "77", "78", "79", "80", "81", "82", "83", "84",
                           "85", "86", "87", "88", "89", "90", "91", "92", "93", "94", "95", "96"};
  TempFolder folder;
  platform::Store store(folder / "registry");
  // The catalogues are installed beside the programs of the build.
  std::string bin = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
  // The values a text takes ("%1", "%2", ...) are the same in every language.
  const auto placeholders = [](const std::string& text) {
    std::string found;
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
      if (at + 1 < text.size()) found += text[at + 1];
    std::sort(found.begin(), found.end());
    return found;
  };
  std::map<std::string, std::string> english;
  for (const char* language : driver::kLanguages) {
    driver::InitMessageLanguage(bin, store);
    driver::ChangeLanguage(language, store);
    for (const char* number : numbers) {
      std::string text = driver::LoadMessage(number);
      EXPECT_NE(text, "!?!") << language << " lacks " << number;
      EXPECT_FALSE(text.empty()) << language << " " << number;
      EXPECT_FALSE(platform::FirstInvalidUtf8(text)) << language << " " << number << " is not UTF-8";
      if (english.count(number) == 0) english[number] = placeholders(text);
      EXPECT_EQ(english[number], placeholders(text)) << language << " " << number;
    }
  }
}

struct CFillCase {
  const char* m_Text;
  std::vector<std::string> m_Values;
  const char* m_Filled;
};

class FillIn : public testing::TestWithParam<CFillCase> {};

TEST_P(FillIn, ReplacesEachPlaceholderOnceAndLeavesTheRest) {
  EXPECT_EQ(GetParam().m_Filled, driver::FillIn(GetParam().m_Text, GetParam().m_Values));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FillIn,
    testing::Values(CFillCase{"ECR %1: done.", {"3"}, "ECR 3: done."},
                    CFillCase{"%2 before %1", {"a", "b"}, "b before a"},
                    CFillCase{"saved in:%1", {"/r/%2 50%.txt"}, "saved in:/r/%2 50%.txt"},
                    CFillCase{"%1 and %3", {"x"}, "x and %3"}, CFillCase{"100% %", {"x"}, "100% %"},
                    CFillCase{"ends with %", {}, "ends with %"}));

}  // namespace

#include "platform/profile.h"

#include <gtest/gtest.h>

#include "testsupport/temp_folder.h"

namespace {

using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

struct LookupCase {
  const char* file;
  const char* section;
  const char* key;
  const char* expected;
};

TEST(ProfileRead, FollowsTheWindowsLookupRules) {
  const LookupCase cases[] = {
      {"[Sect]\r\nKey=val\r\n", "sect", "KEY", "val"},                   // names ignore case
      {"  [ Sect ]  \nkey = spaced value  \n", " Sect ", " key ", "spaced value"},  // trimming
      {"[S]\nk=first\nk=second\n", "S", "k", "first"},                 // first key wins
      {"[S]\nk=1\n[S]\nother=2\n", "S", "other", "dflt"},              // only the first section counts
      {"[S]\nq=\"quoted\"\n", "S", "q", "quoted"},                     // matching quotes go
      {"[S]\nq='single'\n", "S", "q", "single"},
      {"[S]\nq=\"mixed'\n", "S", "q", "\"mixed'"},                     // unmatched quotes stay
      {"[S]\nname3\n", "S", "name3", "dflt"},                          // a line without '=' is no key
      {"[S]\na=1 ; note\n", "S", "a", "1 ; note"},                     // no inline comments
      {"[S]\n;x=1\n", "S", ";x", "1"},                                 // ';x' is an ordinary key
      {"[S]\nempty=\n", "S", "empty", ""},                             // empty value, not the default
      {"[S]\rk=cr-only\r", "S", "k", "cr-only"},                       // CR alone ends a line
      {"k=before\n[S]\n", "", "k", "dflt"},                            // the nameless section is unreachable
      {"[S\nk=v\n", "S", "k", "dflt"},                                 // '[' without ']' is no header
      {"[S] trailing\nk=v\n", "S", "k", "v"},                          // text after ']' is ignored
      {"\xEF\xBB\xBF[S]\nk=bom\n", "S", "k", "bom"},
  };
  TempFolder folder;
  for (const LookupCase& c : cases) {
    WriteFile(folder / "test.ini", c.file);
    EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "dflt", 256, folder / "test.ini"), c.expected)
        << "file: " << c.file << " section: " << c.section << " key: " << c.key;
  }
}

TEST(ProfileRead, BufferSizeAndDefaultEdges) {
  TempFolder folder;
  std::string file = folder / "test.ini";
  WriteFile(file, "[S]\nk=val1\n");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", 4, file), "val");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", 5, file), "val1");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", 1, file), "");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", 0, file), "");
  EXPECT_EQ(GetPrivateProfileString("S", "none", "default  ", 256, file), "default");
  EXPECT_EQ(GetPrivateProfileString("S", "none", "one two  ", 256, file), "one two");
  EXPECT_EQ(GetPrivateProfileString("S", "none", nullptr, 256, file), "");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "missing file", 256, folder / "absent.ini"), "missing file");
}

TEST(ProfileRead, IntegerParse) {
  TempFolder folder;
  std::string file = folder / "test.ini";
  WriteFile(file, "[S]\na=42A9\nb=B42\nc=-1\nd=4294967297\ne=+7\nf=\n");
  EXPECT_EQ(GetPrivateProfileInt("S", "a", 5, file), 42u);
  EXPECT_EQ(GetPrivateProfileInt("S", "b", 5, file), 0u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileInt("S", "c", 5, file)), -1);
  EXPECT_EQ(GetPrivateProfileInt("S", "d", 5, file), 1u);
  EXPECT_EQ(GetPrivateProfileInt("S", "e", 5, file), 7u);
  EXPECT_EQ(GetPrivateProfileInt("S", "f", 5, file), 5u);
  EXPECT_EQ(GetPrivateProfileInt("S", "missing", 20, file), 20u);
}

TEST(ProfileWrite, BuildsTheWindowsLayoutFromNothing) {
  TempFolder folder;
  std::string file = folder / "test.ini";
  ASSERT_TRUE(WritePrivateProfileString("App1", "key1", "string1", file));
  ASSERT_TRUE(WritePrivateProfileString("App1", "key2", "string2", file));
  ASSERT_TRUE(WritePrivateProfileString("App2", "key4", "string4", file));
  ASSERT_TRUE(WritePrivateProfileString("App3", "key5", "string5", file));
  EXPECT_EQ(ReadFile(file), "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
}

TEST(ProfileWrite, ChangesOnlyTheLineConcerned) {
  TempFolder folder;
  std::string file = folder / "test.ini";
  WriteFile(file, "; comment\n[TICKETS]\nFOUND = 7\n\n[Other]\nx=1");
  ASSERT_TRUE(WritePrivateProfileString("tickets", "Found", "8", file));
  ASSERT_TRUE(WritePrivateProfileString("Tickets", "Done", "1", file));
  ASSERT_TRUE(WritePrivateProfileString("New", "k", "  v", file));
  EXPECT_EQ(ReadFile(file), "; comment\n[TICKETS]\nFOUND=8\nDone=1\r\n\n[Other]\nx=1\r\n[New]\r\nk=v\r\n");
  EXPECT_EQ(GetPrivateProfileString("TICKETS", "found", "0", 9, file), "8");
}

TEST(ProfileWrite, FailsWhenTheFolderIsMissing) {
  TempFolder folder;
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", folder / "missing/test.ini"));
}

}  // namespace

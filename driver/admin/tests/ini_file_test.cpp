#include "driver/admin/ini_file.h"

#include <gtest/gtest.h>

#include "testsupport/temp_folder.h"

namespace {

using driver::CIniFile;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

TEST(CIniFile, LoadKeepsTextExactlyAndSaveWritesEverySectionWithKeys) {
  TempFolder folder;
  std::string path = folder / "Qor.cfg";
  WriteFile(path,
            "loose=1\n"
            "[[FOLDERS]]\r\n"
            " TicketFolder = /srv/tickets \n"
            "\n"
            "noequals\n"
            "=\n"
            "[Empty]\n"
            "[FOLDERS]\n"
            "ReportFolder=/srv/reports\n"
            "[other]\n"
            "k=first\n"
            "k=last\n");
  CIniFile ini;
  ini.SetPath(path);
  ASSERT_TRUE(ini.Load());
  EXPECT_EQ(ini.GetValue("FOLDERS", " TicketFolder "), " /srv/tickets ");
  EXPECT_EQ(ini.GetValue("FOLDERS", ""), "");  // "=" is the empty key with the empty value
  EXPECT_EQ(ini.GetValue("other", "k"), "last");
  EXPECT_EQ(ini.GetValue("", "loose"), "1");
  EXPECT_FALSE(ini.HasSection("Empty"));  // a header alone makes no section
  EXPECT_FALSE(ini.HasSection("folders"));  // names are exact

  ini.Save();
  EXPECT_EQ(ReadFile(path),
            "[]\nloose=1\n\n"
            "[FOLDERS]\n TicketFolder = /srv/tickets \n=\nReportFolder=/srv/reports\n\n"
            "[other]\nk=last\n\n");
}

TEST(CIniFile, LookupErrorsStickAndSetValueHonoursCreate) {
  TempFolder folder;
  CIniFile ini;
  ini.SetPath(folder / "missing.cfg");
  EXPECT_FALSE(ini.Load());
  EXPECT_EQ(ini.GetLastError(), "");  // a missing file sets no error

  EXPECT_EQ(ini.GetValue("FOLDERS", "TicketFolder"), "");
  EXPECT_EQ(ini.GetLastError(), "Unable to locate specified key.");
  EXPECT_FALSE(ini.SetValue("FOLDERS", "TicketFolder", "/x", false));
  EXPECT_TRUE(ini.SetValue("FOLDERS", "TicketFolder", "/x", true));
  EXPECT_EQ(ini.GetValue("FOLDERS", "TicketFolder"), "/x");
  EXPECT_EQ(ini.GetLastError(), "Unable to locate specified key.");  // never cleared
  EXPECT_EQ(ini.GetValue("FOLDERS", "Other"), "");
  EXPECT_EQ(ini.GetLastError(), "Unable to locate specified value.");
  EXPECT_FALSE(ini.SetValue("FOLDERS", "Other", "v", false));
  EXPECT_TRUE(ini.SetValue("FOLDERS", "TicketFolder", "/y", false));

  ini.Save();
  EXPECT_EQ(ReadFile(folder / "missing.cfg"), "[FOLDERS]\nTicketFolder=/y\n\n");
}

TEST(CIniFile, UnreadableFileReportsTheOpenError) {
  TempFolder folder;
  CIniFile ini;
  ini.SetPath(folder.Path());  // a folder exists but cannot be read as a file
  EXPECT_FALSE(ini.Load());
  EXPECT_EQ(ini.GetLastError(), "Unable to open ini file.");
}

}  // namespace

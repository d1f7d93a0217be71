// Reports, zero-sets, the fiscal closure and the history, as files, events and printed journal lines.

#include <gtest/gtest.h>

#include <filesystem>

#include "emulator/emulator_settings.h"
#include "emulator/tests/emulator_fixture.h"

namespace emulator::testing {
namespace {

void SellReceipt(CEmulatorFixture& emulator, int ecr, const std::string& price, const std::string& department) {
  ASSERT_EQ(0, emulator.Write(ecr, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(ecr, Sale(price, department, "ITEM")));
  ASSERT_EQ(0, emulator.Write(ecr, CloseTicket()));
}

std::string SavedReport(CEmulatorFixture& emulator, int ecr, int code, const std::string& text, int count = 1) {
  std::string inOut = text;
  EXPECT_EQ(0, emulator.Control().Request(ecr, code, inOut));
  const auto saved = emulator.Sink().WaitFor("ReportSaved", ecr, count);
  if (!saved) return "<none>";
  EXPECT_EQ(code, saved->m_Job);
  return saved->m_Text;
}

struct CReportKind {
  int m_Code;
  const char* m_Title;
  const char* m_Line;  // a line the report must hold after one sale of 7.00 in department 3
};

class SavedReportKind : public ::testing::TestWithParam<CReportKind> {};

TEST_P(SavedReportKind, IsWrittenIntoTheReportFolderAndAnnounced) {
  CEmulatorFixture emulator;
  ASSERT_EQ("OK", emulator.Send(1, "0;+1;"));
  SellReceipt(emulator, 1, "7", "3");
  const std::string path = SavedReport(emulator, 1, GetParam().m_Code, "<REPORT><PRINT>0</PRINT></REPORT>");
  EXPECT_EQ(emulator.Base() + "/Reports", std::filesystem::path(path).parent_path().string());
  const std::string report = testsupport::ReadFile(path);
  EXPECT_NE(std::string::npos, report.find(GetParam().m_Title)) << report;
  EXPECT_NE(std::string::npos, report.find(GetParam().m_Line)) << report;
  EXPECT_EQ(0, emulator.Sink().Count("DirectIO", 1) - 1);  // only the mode switch completed by DirectIOEvent
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SavedReportKind,
    ::testing::Values(CReportKind{51, "ECR 1 FINANCIAL REPORT", "DAILY TOTAL"},
                      CReportKind{52, "ECR 1 PLU DAILY REPORT", "NO PLU TOTALS"},
                      CReportKind{53, "ECR 1 DEPARTMENT DAILY REPORT", "DEPARTMENT 3"},
                      CReportKind{54, "ECR 1 CASHDRAWER REPORT", "PAYMENT 1"},
                      CReportKind{55, "ECR 1 OPERATOR REPORT", "OPERATOR 1 TOTAL"},
                      CReportKind{56, "ECR 1 TIME SLOTS REPORT", "ALL DAY"},
                      CReportKind{57, "ECR 1 STAMPS REPORT", "STAMPS"},
                      CReportKind{58, "ECR 1 OPEN TABLES REPORT", "NO OPEN TABLES"}));

TEST(Reports, PrintedReportEndsWithDirectIOEventAndSavesNoFile) {
  CEmulatorFixture emulator;
  std::string text = "<REPORT><PRINT>1</PRINT></REPORT>";
  EXPECT_EQ(0, emulator.Control().Request(3, 53, text));
  ASSERT_TRUE(emulator.Sink().WaitFor("DirectIO", 3));
  EXPECT_NE(std::string::npos, emulator.Journal(3).find("ECR 3 DEPARTMENT DAILY REPORT"));
  EXPECT_EQ(0, emulator.Sink().Count("ReportSaved", 3));
  EXPECT_FALSE(std::filesystem::exists(emulator.Base() + "/Reports"));
}

TEST(Reports, TheReportFolderPropertyMovesTheFiles) {
  CEmulatorFixture emulator;
  const std::string folder = emulator.Base() + "/elsewhere";
  emulator.Control().SetReportFolder(folder);
  EXPECT_EQ(folder, emulator.Control().GetReportFolder());
  const std::string path = SavedReport(emulator, 2, 51, "<REPORT><PRINT>0</PRINT></REPORT>");
  EXPECT_EQ(folder + "/ECR2_FINANCIAL_0001.txt", path);
  EXPECT_TRUE(testsupport::FileExists(path));
}

TEST(Reports, ZeroSetEmptiesItsTotalsPrintsAndEndsWithDirectIOEvent) {
  CEmulatorFixture emulator;
  ASSERT_EQ("OK", emulator.Send(2, "0;+1;"));
  SellReceipt(emulator, 2, "4", "2");
  const int before = emulator.Sink().Count("DirectIO", 2);
  const std::string path = SavedReport(emulator, 2, 80, "<ZEROSET><PRINT>0</PRINT></ZEROSET>");
  EXPECT_NE(std::string::npos, testsupport::ReadFile(path).find("DEPARTMENT 2"));
  ASSERT_TRUE(emulator.Sink().WaitFor("DirectIO", 2, before + 1));
  EXPECT_NE(std::string::npos, emulator.Journal(2).find("ZERO-SET NO. 1"));
  const std::string after = SavedReport(emulator, 2, 53, "<REPORT><PRINT>0</PRINT></REPORT>", 2);
  EXPECT_NE(std::string::npos, testsupport::ReadFile(after).find("NO DEPARTMENT TOTALS"));
  // A zero-set prints, so it waits for paper like a receipt.
  emulator.Control().SetPaperOut(2, true);
  std::string text = "<ZEROSET><PRINT>1</PRINT></ZEROSET>";
  EXPECT_EQ(0, emulator.Control().Request(2, 81, text));
  ASSERT_EQ("OK", emulator.Send(1, "0;"));
  EXPECT_EQ(before + 1, emulator.Sink().Count("DirectIO", 2));
  emulator.Control().SetPaperOut(2, false);
  EXPECT_TRUE(emulator.Sink().WaitFor("DirectIO", 2, before + 2));
}

TEST(Reports, FiscalClosureOnBothFamilies) {
  CEmulatorFixture emulator;
  ASSERT_EQ("OK", emulator.Send(1, "0;+1;"));
  SellReceipt(emulator, 1, "3", "1");
  EXPECT_EQ("ERR not in closure mode: 0;#Z;", emulator.Send(1, "0;#Z;"));
  EXPECT_EQ("OK", emulator.Send(1, "0;*2;+3;#Z;*3;+1;"));
  EXPECT_TRUE(HasLine(emulator.Journal(1), "DAILY TOTAL", " 3.00"));
  EXPECT_NE(std::string::npos, emulator.Journal(1).find("FISCAL CLOSURE NO. 1"));

  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  EXPECT_EQ("ERR receipt open: *SkK", emulator.Send(3, "*SkK"));
  ASSERT_EQ(0, emulator.Write(3, "<TICKETVOID></TICKETVOID>"));
  EXPECT_EQ("OK", emulator.Send(3, "*SkK"));
  EXPECT_EQ('C', HelloTextOf(emulator.Status(3))[0]);
  EXPECT_NE(std::string::npos, emulator.Journal(3).find("FISCAL CLOSURE NO. 1"));
}

TEST(History, HoldsTheReceiptsUntilRolledBack) {
  CEmulatorFixture emulator;
  SellReceipt(emulator, 4, "2,22", "1");
  std::string text;
  EXPECT_EQ(0, emulator.Control().Request(4, 13, text));
  const auto first = emulator.Sink().WaitFor("HistorySaved", 4);
  ASSERT_TRUE(first);
  EXPECT_TRUE(HasLine(testsupport::ReadFile(first->m_Text), "TOTAL", "2.22"));
  EXPECT_EQ(0, emulator.Control().Request(4, 14, text));
  EXPECT_EQ(0, emulator.Control().Request(4, 13, text));
  const auto second = emulator.Sink().WaitFor("HistorySaved", 4, 2);
  ASSERT_TRUE(second);
  EXPECT_NE(first->m_Text, second->m_Text);
  EXPECT_EQ("ECR 4 HISTORY\nEND OF HISTORY\n", testsupport::ReadFile(second->m_Text));
}

struct CSettingsCase {
  const char* m_Name;
  const char* m_Text;
  std::vector<std::pair<int, int>> m_Registers;
};

class SettingsFile : public ::testing::TestWithParam<CSettingsCase> {};

TEST_P(SettingsFile, GivesTheRegisterList) {
  EXPECT_EQ(GetParam().m_Registers, ParseEmulatorSettings(GetParam().m_Text).m_Registers);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SettingsFile,
    ::testing::Values(
        CSettingsCase{"Missing", "", {{1, 1}, {2, 2}, {3, 0}, {4, 3}}},
        CSettingsCase{"InFileOrder", "[Registers]\n9=0\n 5 = 2 \n", {{9, 0}, {5, 2}}},
        CSettingsCase{"CaseOfNames", "[registers]\r\n7=3\r\n", {{7, 3}}},
        CSettingsCase{"FirstOfADuplicateWins", "[Registers]\n7=3\n7=1\n", {{7, 3}}},
        CSettingsCase{"BadEntriesDropped", "[Registers]\nx=1\n8=9\n8=1\n;6=1\n", {{8, 1}}},
        CSettingsCase{"NothingUsableGivesDefaults", "[Registers]\nx=y\n", {{1, 1}, {2, 2}, {3, 0}, {4, 3}}}),
    [](const ::testing::TestParamInfo<CSettingsCase>& info) { return std::string(info.param.m_Name); });

TEST(SettingsFile, FaultKeysAreOnWhenTheyBeginWithOne) {
  const CEmulatorSettings settings =
      ParseEmulatorSettings("[ECR2]\nPaperOut=10\nGenericError=yes\nNotOperating=1\nNoAnswer=0\nLineDelayMs=40\n");
  const CRegisterFaults& faults = settings.m_Faults.at(2);
  EXPECT_TRUE(faults.m_PaperOut);
  EXPECT_FALSE(faults.m_GenericError);
  EXPECT_TRUE(faults.m_NotOperating);
  EXPECT_FALSE(faults.m_NoAnswer);
  EXPECT_EQ(40, faults.m_LineDelayMs);
}

}  // namespace
}  // namespace emulator::testing

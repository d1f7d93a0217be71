// The programming pages against the emulated registers: the department limit of the star family,
// the decimal comma, the header's sixth line and width, and what a page shows after another register
// was chosen.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "driver/admin/admin_rules.h"
#include "driver/admin/tests/sheet_rig.h"
#include "platform/text_encoding.h"

namespace driver::admintest {
namespace {

struct CDepartmentCase {
  const char* m_Name;
  int m_Page;
  int m_Ecr;
  bool m_Sent;
};

class DepartmentLimit : public ::testing::TestWithParam<CDepartmentCase> {};

// Fills the page's programming fields with values every register accepts.
void FillProgramming(CAdminPage& page, int pageIndex) {
  Child<QLineEdit>(page, "description").setText("FRUIT");
  Child<QLineEdit>(page, "price").setText("2.40");
  if (pageIndex == kDepartmentsPage) {
    Child<QLineEdit>(page, "lalo").setText("0.50");
    Child<QLineEdit>(page, "halo").setText("20.00");
  } else {
    Child<QLineEdit>(page, "code").setText("4711");
  }
  if (pageIndex == kOffersPage) Child<QLineEdit>(page, "offer").setText("3");
}

TEST_P(DepartmentLimit, StarRegistersStopAtTwelveOthersTakeDepartment13) {
  const CDepartmentCase& test = GetParam();
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, test.m_Page, test.m_Ecr - 1);
  FillProgramming(page, test.m_Page);
  QComboBox& department = Child<QComboBox>(page, "department");
  department.setCurrentText("13");
  Click(page, "send");

  if (test.m_Sent) {
    EXPECT_EQ(FilledMessage("67", {std::to_string(test.m_Ecr)}), sheet.StatusText());
    ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
    EXPECT_EQ(1, rig.CountCalls(test.m_Ecr, "BeginJob " + std::to_string(test.m_Ecr)));
    return;
  }
  EXPECT_EQ(MessageOf("3"), sheet.StatusText());
  EXPECT_EQ("12", department.currentText().toStdString());
  EXPECT_EQ(0, rig.Sheet(test.m_Ecr).m_Department.m_Number);
  EXPECT_EQ("", rig.Sheet(test.m_Ecr).m_Plu.m_Code);
  EXPECT_EQ("", rig.Sheet(test.m_Ecr).m_Offer.m_Code);
  // The refused send started nothing: the next one, now on 12, is the register's only job.
  Click(page, "send");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  EXPECT_EQ(1, rig.CountCalls(test.m_Ecr, "BeginJob " + std::to_string(test.m_Ecr)));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, DepartmentLimit,
    ::testing::Values(CDepartmentCase{"DepartmentsType3", kDepartmentsPage, 4, false},
                      CDepartmentCase{"DepartmentsType0", kDepartmentsPage, 3, false},
                      CDepartmentCase{"DepartmentsType1", kDepartmentsPage, 1, true},
                      CDepartmentCase{"DepartmentsType2", kDepartmentsPage, 2, true},
                      CDepartmentCase{"PlusType3", kPlusPage, 4, false},
                      CDepartmentCase{"PlusType1", kPlusPage, 1, true},
                      CDepartmentCase{"OffersType2", kOffersPage, 2, true}),
    [](const auto& info) { return std::string(info.param.m_Name); });

TEST(DepartmentsPage, Department13ReachesTheType1RegistersTable) {
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kDepartmentsPage, 0);
  FillProgramming(page, kDepartmentsPage);
  Child<QComboBox>(page, "department").setCurrentText("13");
  Click(page, "send");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  // The register asks for the department lines after the job has armed them.
  EXPECT_TRUE(Eventually([&] { return rig.Journal(1).find("UPLOAD B80 LINES 1 REJECTED 0") != std::string::npos; }))
      << rig.Journal(1);
  EXPECT_NE(std::string::npos, rig.Journal(1).find("UPLOAD B80 LINE 13")) << rig.Journal(1);
  EXPECT_EQ(13, rig.Sheet(1).m_Department.m_Number);
}

struct CDecimalCase {
  int m_Ecr;
  const char* m_Stored;
};

class DecimalComma : public ::testing::TestWithParam<CDecimalCase> {};

// The point becomes a comma only on the star family; an amount always carries two decimals.
TEST_P(DecimalComma, AmountsAreStoredInTheRegistersNotation) {
  const CDecimalCase& test = GetParam();
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  CAdminPage& departments = PageOn(sheet, kDepartmentsPage, test.m_Ecr - 1);
  FillProgramming(departments, kDepartmentsPage);
  Child<QLineEdit>(departments, "price").setText("12.50");
  Child<QLineEdit>(departments, "halo").setText("1000.5");
  Click(departments, "send");
  CAdminPage& plus = PageOn(sheet, kPlusPage, test.m_Ecr - 1);
  FillProgramming(plus, kPlusPage);
  Child<QLineEdit>(plus, "price").setText("12.50");
  Child<QLineEdit>(plus, "price1").setText("12.50");
  Click(plus, "send");
  // Registers of types 0 and 3 have no offers: there the page sends nothing.
  const bool offers = HasOffers(rig.Ecr(test.m_Ecr).m_EcrType);
  CAdminPage& offersPage = PageOn(sheet, kOffersPage, test.m_Ecr - 1);
  FillProgramming(offersPage, kOffersPage);
  Child<QLineEdit>(offersPage, "price").setText("12.50");
  Click(offersPage, "send");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(offers ? 3 : 2));

  const CSheetValues& sent = rig.Sheet(test.m_Ecr);
  EXPECT_EQ(test.m_Stored, sent.m_Department.m_Price);
  EXPECT_EQ(test.m_Stored, sent.m_Plu.m_Price);
  EXPECT_EQ(offers ? test.m_Stored : "", sent.m_Offer.m_Price);
  EXPECT_EQ(std::string(test.m_Stored) == "12,50" ? "1000,50" : "1000.50", sent.m_Department.m_Halo);
  EXPECT_EQ("12.50", sent.m_Plu.m_Price1);  // not an amount the rule touches
}

INSTANTIATE_TEST_SUITE_P(Types, DecimalComma,
                         ::testing::Values(CDecimalCase{3, "12,50"}, CDecimalCase{4, "12,50"}, CDecimalCase{1, "12.50"},
                                           CDecimalCase{2, "12.50"}));

// What a type cannot do is not offered: on registers of types 0 and 3 the Offers page says they have
// no offers and nothing on it can be sent; on the others it works as usual.
TEST(OffersPage, IsDisabledOnRegistersWithoutOffers) {
  CSheetRig rig;
  CPropDialog sheet(rig.m_Host);
  sheet.show();
  sheet.Tabs().setCurrentIndex(kOffersPage);
  for (int index : {2, 3, 1}) {
    CAdminPage& page = PageOn(sheet, kOffersPage, index);
    const bool offers = index == 1;
    EXPECT_EQ(offers, Child<QPushButton>(page, "send").isEnabled()) << index;
    EXPECT_EQ(offers, Child<QLineEdit>(page, "code").isEnabled()) << index;
    EXPECT_EQ(!offers, Child<QLabel>(page, "noOffers").isVisible()) << index;
  }
  EXPECT_EQ(MessageOf("71"), Child<QLabel>(sheet.Page(kOffersPage), "noOffers").text().toStdString());
}

struct CHeaderCase {
  int m_Ecr;
  const char* m_Line6;
  bool m_Sent;
  std::size_t m_Width;
};

class HeaderLines : public ::testing::TestWithParam<CHeaderCase> {};

TEST_P(HeaderLines, SixthLineNeedsTenCharactersAndLinesAreCutToTheRegistersWidth) {
  const CHeaderCase& test = GetParam();
  const std::string longLine = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  CSheetRig rig;
  CEcrContext& ecr = rig.Ecr(test.m_Ecr);
  CHeaderJob& header = rig.Sheet(test.m_Ecr).m_Header;
  header.m_AnswerA = {"OLD 1", "OLD 2", "OLD 3"};
  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kHeadersPage, test.m_Ecr - 1);
  EXPECT_EQ("OLD 2", Child<QLineEdit>(page, "line2").text().toStdString());
  for (const char* name : {"line1", "line2", "line3", "line4", "line5"}) Child<QLineEdit>(page, name).setText(longLine.c_str());
  Child<QLineEdit>(page, "line6").setText(test.m_Line6);
  if (!test.m_Sent) {
    Click(page, "send");
    EXPECT_EQ(MessageOf("13"), sheet.StatusText());
    EXPECT_EQ("OLD 1", header.m_AnswerA[0]);
    return;
  }
  // The long lines are named before anything goes out: Return (No) goes back to editing them.
  std::string asked;
  WhenAsked([&](QMessageBox& question) {
    asked = question.text().toStdString();
    PressReturn(question);
  });
  Click(page, "send");
  const std::string longLines = platform::Utf8Length(test.m_Line6) > test.m_Width ? "1, 2, 3, 4, 5, 6" : "1, 2, 3, 4, 5";
  EXPECT_EQ(FilledMessage("101", {longLines, std::to_string(test.m_Width), std::to_string(test.m_Ecr)}), asked);
  EXPECT_EQ(FilledMessage("100", {std::to_string(test.m_Ecr)}), sheet.StatusText());
  EXPECT_EQ("OLD 1", header.m_AnswerA[0]);
  EXPECT_EQ(longLine, Child<QLineEdit>(page, "line1").text().toStdString());
  EXPECT_EQ(0u, rig.m_Host.EndedJobs());

  WhenAsked(PressYes);
  Click(page, "send");
  ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  const std::string cut = longLine.substr(0, test.m_Width);
  EXPECT_EQ(cut, header.m_AnswerA[0]);
  EXPECT_EQ(cut, header.m_AnswerB[1]);
  EXPECT_EQ(platform::Utf8Prefix(test.m_Line6, test.m_Width), header.m_AnswerB[2]);
  EXPECT_TRUE(Eventually([&] { return rig.Journal(test.m_Ecr).find("PROGRAM HEADER LINE 1 " + cut + "\n") != std::string::npos; }))
      << rig.Journal(test.m_Ecr);
}

INSTANTIATE_TEST_SUITE_P(Widths, HeaderLines,
                         ::testing::Values(CHeaderCase{3, "123456789", false, 0}, CHeaderCase{2, "123456789", false, 0},
                                           CHeaderCase{3, "1234567890", true, 18}, CHeaderCase{4, "1234567890", true, 18},
                                           CHeaderCase{2, "1234567890", true, 21},
                                           CHeaderCase{1, "THANK YOU FOR SHOPPING HERE", true, 21},
                                           // Greek letters count as one character each, not two bytes.
                                           CHeaderCase{3, "ΑΒΓΔΕΖΗΘΙ", false, 0}, CHeaderCase{4, "ΕΥΧΑΡΙΣΤΩ!", true, 18},
                                           CHeaderCase{1, "ΕΥΧΑΡΙΣΤΟΥΜΕ ΠΟΛΥ ΓΙΑ ΤΗΝ ΠΡΟΤΙΜΗΣΗ", true, 21}));

// Each page shows what it sent itself, never another page's values: a PLU sent with department 1
// shows department 1 when the sheet opens again, although the Departments page sent department 12;
// after another register was chosen, each register's own last PLU comes back, tax code 9 included.
TEST(PlusPage, ShowsItsOwnValuesNeverThoseOfAnotherPage) {
  CSheetRig rig;
  rig.Sheet(1).m_Department.m_Tax = 3;
  rig.Sheet(1).m_Department.m_Number = 12;
  {
    CPropDialog sheet(rig.m_Host);
    CAdminPage& page = PageOn(sheet, kPlusPage, 0);
    EXPECT_EQ("1", Child<QComboBox>(page, "department").currentText().toStdString());
    EXPECT_EQ("0", Child<QComboBox>(page, "tax").currentText().toStdString());
    FillProgramming(page, kPlusPage);
    Child<QComboBox>(page, "tax").setCurrentText("9");
    Click(page, "send");
    ASSERT_TRUE(rig.m_Host.WaitForJobs(1));
  }
  EXPECT_EQ(9, rig.Sheet(1).m_Plu.m_Tax);

  CPropDialog sheet(rig.m_Host);
  CAdminPage& page = PageOn(sheet, kPlusPage, 0);
  QComboBox& tax = Child<QComboBox>(page, "tax");
  EXPECT_EQ("9", tax.currentText().toStdString());
  EXPECT_EQ(std::to_string(rig.Sheet(1).m_Plu.m_Department), Child<QComboBox>(page, "department").currentText().toStdString());
  EXPECT_NE(12, rig.Sheet(1).m_Plu.m_Department);
  EXPECT_EQ("1", Child<QComboBox>(PageOn(sheet, kOffersPage, 0), "department").currentText().toStdString());

  page.EcrSelector().setCurrentIndex(1);
  EXPECT_EQ("0", tax.currentText().toStdString());
  EXPECT_EQ("", Child<QLineEdit>(page, "code").text().toStdString());
  page.EcrSelector().setCurrentIndex(0);
  EXPECT_EQ("9", tax.currentText().toStdString());
  EXPECT_EQ("4711", Child<QLineEdit>(page, "code").text().toStdString());
}

}  // namespace
}  // namespace driver::admintest

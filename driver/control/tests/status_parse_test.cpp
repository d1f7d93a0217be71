// Element extraction, the register list scan and the status parse, on texts as registers send them.

#include <gtest/gtest.h>

#include "driver/control/register_list.h"
#include "driver/control/status_parse.h"
#include "driver/control/tag_value.h"

namespace driver {
namespace {

struct CTagCase {
  const char* m_Text;
  const char* m_Value;
};

class TagValue : public ::testing::TestWithParam<CTagCase> {};

TEST_P(TagValue, IsTheTextBetweenTheTags) {
  EXPECT_EQ(GetParam().m_Value, GetTagValue(GetParam().m_Text, "<A>", "</A>"));
}

INSTANTIATE_TEST_SUITE_P(Texts, TagValue,
                         ::testing::Values(CTagCase{"#<A>1</A>", "1"}, CTagCase{"<A>1</A>", ""},
                                           CTagCase{"<A>1</A><A>2</A>", "2"}, CTagCase{"#<A>1", ""},
                                           CTagCase{"#</A><A>x</A>", "x"}, CTagCase{"#<A></A>", ""},
                                           CTagCase{"", ""}, CTagCase{"#<B>1</B>", ""}));

struct CListCase {
  const char* m_Name;
  const char* m_Text;
  std::vector<CRegisterEntry> m_Registers;
};

class RegisterListScan : public ::testing::TestWithParam<CListCase> {};

TEST_P(RegisterListScan, FindsTheRegistersInOrder) { EXPECT_EQ(GetParam().m_Registers, ScanRegisterList(GetParam().m_Text)); }

INSTANTIATE_TEST_SUITE_P(
    Lists, RegisterListScan,
    ::testing::Values(
        CListCase{"LeadingCharacter", "#<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>0</TYPE>", {{1, 1}, {2, 0}}},
        CListCase{"NoLeadingCharacterLosesTheFirst", "<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>0</TYPE>",
                  {{2, 0}}},
        // Without <TYPE> after it, an <IDECR> takes the next register's type and that register is lost.
        CListCase{"IdWithoutTypeBorrowsTheNext", "#<IDECR>1</IDECR><IDECR>2</IDECR><TYPE>2</TYPE>", {{1, 2}}},
        CListCase{"IdWithoutAnyTypeIsDropped", "#<IDECR>1</IDECR><IDECR>2</IDECR>", {}},
        CListCase{"MissingIdCloseEndsTheScan", "#<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2<TYPE>2</TYPE>", {{1, 1}}},
        CListCase{"MissingTypeCloseEndsTheScan", "#<IDECR>1</IDECR><TYPE>1<IDECR>2</IDECR><TYPE>2</TYPE>", {{1, 1}}},
        CListCase{"Empty", "", {}}),
    [](const ::testing::TestParamInfo<CListCase>& info) { return std::string(info.param.m_Name); });

std::string Status(const std::string& hello, const std::string& flag, const std::string& remote = "0") {
  return "#<HELLO>" + hello + "</HELLO><TICKETOPEN>" + flag + "</TICKETOPEN><GENERICERROR>" + flag +
         "</GENERICERROR><OPERATING>2</OPERATING><PAPEROUT>" + flag + "</PAPEROUT><REMOTE>" + remote +
         "</REMOTE><KEYLOCKED>" + flag + "</KEYLOCKED>";
}

// A register's status as the parse leaves it, for a register of one type.
struct CParsed {
  explicit CParsed(int type) : m_Type(type) {}
  StatusFollowUp Parse(const std::string& text, bool exchangePending = false) {
    m_Status.m_StatusText = text;
    return ParseEcrStatus(m_Type, exchangePending, m_Status);
  }
  int m_Type;
  CEcrStatus m_Status;
};

class StatusFlag : public ::testing::TestWithParam<std::pair<const char*, int>> {};

// A flag is on only when its value is exactly "1"; any other value, or no element, clears it.
TEST_P(StatusFlag, IsOnOnlyForExactlyOne) {
  CParsed ecr(2);
  CEcrStatus& status = ecr.m_Status;
  const auto flags = {&status.m_TicketOpen, &status.m_GenericError, &status.m_PaperOut, &status.m_KeyLocked,
                      &status.m_Remote};
  for (std::int32_t* flag : flags) *flag = 1;
  ecr.Parse(Status("R-.", GetParam().first, GetParam().first));
  for (std::int32_t* flag : flags)
    EXPECT_EQ(GetParam().second, *flag);
  EXPECT_EQ("2", ecr.m_Status.m_Operating);
}

INSTANTIATE_TEST_SUITE_P(Values, StatusFlag,
                         ::testing::Values(std::make_pair("1", 1), std::make_pair("01", 0), std::make_pair("", 0),
                                           std::make_pair("true", 0), std::make_pair("1 ", 0), std::make_pair("0", 0)));

TEST(StatusParse, MissingElementsClearFlagsAndEmptyOperating) {
  CParsed ecr(1);
  ecr.m_Status.m_TicketOpen = 1;
  ecr.m_Status.m_Operating = "2";
  ecr.Parse("#<KEYLOCKED>1</KEYLOCKED>");
  EXPECT_EQ(0, ecr.m_Status.m_TicketOpen);
  EXPECT_TRUE(ecr.m_Status.m_Operating.empty());
  EXPECT_EQ(1, ecr.m_Status.m_KeyLocked);
}

TEST(StatusParse, HelloAtIndexZeroOrEmptyLeavesTheHelloUnchanged) {
  CParsed ecr(1);
  ecr.m_Status.m_Hello = "OLD";
  ecr.Parse("<HELLO>NEW</HELLO><TICKETOPEN>1</TICKETOPEN>");
  EXPECT_EQ("OLD", ecr.m_Status.m_Hello);
  EXPECT_EQ(1, ecr.m_Status.m_TicketOpen);
  ecr.Parse(Status("", "0"));
  EXPECT_EQ("OLD", ecr.m_Status.m_Hello);
  ecr.Parse(Status(std::string(250, 'h'), "0"));
  EXPECT_EQ(std::string(kHelloMaxLength, 'h'), ecr.m_Status.m_Hello);
}

TEST(StatusParse, RemoteIsReadOnlyForTheZeroFamily) {
  for (int type : {0, 1, 2, 3}) {
    CParsed ecr(type);
    ecr.m_Status.m_Remote = 1;
    ecr.Parse(Status("R", "0", "0"));
    EXPECT_EQ(type == 1 || type == 2 ? 0 : 1, ecr.m_Status.m_Remote) << "type " << type;
  }
}

const std::string kHelloWithCode = "R-.-0003000QOR EMULATOR T0    QCM12345---S0";

TEST(StatusParse, HelloCodeAndSuffixForTheStarFamilyOnly) {
  for (int type : {0, 1, 2, 3}) {
    CParsed ecr(type);
    ecr.Parse(Status(kHelloWithCode, "0"));
    const bool star = type == 0 || type == 3;
    EXPECT_EQ(star ? "QCM12345" : "", ecr.m_Status.m_HelloCode) << "type " << type;
    EXPECT_EQ(star ? "S0" : "", ecr.m_Status.m_HelloSuffix) << "type " << type;
  }
  // A hello that ends early copies what there is; one too short to reach the code keeps the old code.
  CParsed ecr(0);
  ecr.Parse(Status(kHelloWithCode.substr(0, 34), "0"));
  EXPECT_EQ("QCM1", ecr.m_Status.m_HelloCode);
  ecr.Parse(Status(kHelloWithCode.substr(0, 30), "0"));
  EXPECT_EQ("QCM1", ecr.m_Status.m_HelloCode);
}

struct CAlertCase {
  int m_Type;
  int m_Pending;
  const char* m_Code;
  StatusFollowUp m_FollowUp;
};

class ExchangeAlert : public ::testing::TestWithParam<CAlertCase> {};

TEST_P(ExchangeAlert, FollowsAStatusCodeDuringAHeaderTransfer) {
  CParsed ecr(GetParam().m_Type);
  EXPECT_EQ(GetParam().m_FollowUp,
            ecr.Parse(Status(std::string("R-.-0001") + GetParam().m_Code + "QOR", "0"), GetParam().m_Pending != 0));
}

INSTANTIATE_TEST_SUITE_P(Codes, ExchangeAlert,
                         ::testing::Values(CAlertCase{1, 1, "008", StatusFollowUp::kStatusAlert},
                                           CAlertCase{2, 1, "001", StatusFollowUp::kStatusAlert},
                                           CAlertCase{2, 1, "128", StatusFollowUp::kNone},
                                           CAlertCase{2, 1, "000", StatusFollowUp::kNone},
                                           CAlertCase{1, 1, " 12", StatusFollowUp::kStatusAlert},
                                           CAlertCase{1, 1, "  4", StatusFollowUp::kStatusAlert},
                                           CAlertCase{2, 1, "   ", StatusFollowUp::kNone},
                                           CAlertCase{2, 0, "008", StatusFollowUp::kNone},
                                           CAlertCase{0, 1, "008", StatusFollowUp::kNone}));

TEST(StatusParse, EmptyStatusTextChangesNothing) {
  CParsed ecr(1);
  ecr.m_Status.m_TicketOpen = 1;
  ecr.m_Status.m_Operating = "2";
  EXPECT_EQ(StatusFollowUp::kNone, ecr.Parse(""));
  EXPECT_EQ(1, ecr.m_Status.m_TicketOpen);
  EXPECT_EQ("2", ecr.m_Status.m_Operating);
}

}  // namespace
}  // namespace driver

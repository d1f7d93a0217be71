// The TillJobIt program end to end: a stand-in driver thread answers in a real register folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/store.h"
#include "testsupport/temp_folder.h"
#include "tools/tilljobit/tests/child_process.h"
#include "tools/tilljobit/tests/fake_driver.h"
#include "tools/tilljobit/ticket_root.h"

namespace tools {
namespace {

using testing::ChildResult;
using testing::FakeAnswer;
using testing::FakeDriver;
using testing::RunChild;

constexpr const char* kSale = "0 1\n1 sample\n6 done\n";

class SubmissionTest : public ::testing::Test {
 protected:
  SubmissionTest() : m_Registry("QOR_REGISTRY", m_Temp / "registry") {
    testsupport::WriteFile(m_Temp / "sale.txt", kSale);
  }

  std::string Folder(const std::string& relative) {
    std::filesystem::create_directories(m_Temp / relative);
    return m_Temp / relative;
  }
  ChildResult Submit(const std::vector<std::string>& arguments, const std::string& folder = "") {
    return RunChild(QOR_TILLJOBIT_PROGRAM, arguments, folder);
  }
  static std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
  }

  testsupport::TempFolder m_Temp;
  testsupport::ScopedEnvironment m_Registry;
};

TEST_F(SubmissionTest, TicketArrivesWholeAndTheReplyAndWarningsArePrintedWithItsCode) {
  std::string folder = Folder("root/3");
  FakeDriver driver(folder, {"  0    0\n  1    5\n", "Z-REPORT.TXT\n0\n"});
  ChildResult result = Submit({"3," + (m_Temp / "sale.txt") + "," + (m_Temp / "root")});
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 0) << result.m_Err;
  EXPECT_EQ(driver.TicketBytes(), kSale);
  EXPECT_TRUE(driver.PartialTickets().empty()) << "a *.txt name was written in place: " << driver.PartialTickets()[0];
  EXPECT_NE(result.m_Out.find("ticket: " + folder + "/" + driver.TicketName() + "\n"), std::string::npos) << result.m_Out;
  // Only the element that did not end with 0 gets a warning line; the others are counted.
  EXPECT_NE(result.m_Out.find("warning:   1    5\nelements done: 1\nreply: Z-REPORT.TXT\ncode: 0\n"), std::string::npos)
      << result.m_Out;
  EXPECT_EQ(result.m_Out.find("warning:   0"), std::string::npos) << result.m_Out;
  EXPECT_TRUE(FilesIn(folder).empty()) << "the read reply and warnings are cleared away";
}

TEST_F(SubmissionTest, RejectedTicketExitsWith22AndNamesTheKeptErrorFile) {
  std::string folder = Folder("root/7");
  FakeDriver driver(folder, {"", "22\n", true});
  ChildResult result = Submit({"--keep", "7," + (m_Temp / "sale.txt") + "," + (m_Temp / "root/")});
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 22) << result.m_Err;
  std::string stem = driver.TicketName().substr(0, driver.TicketName().size() - 4);
  EXPECT_NE(result.m_Out.find("rejected: " + folder + "/" + stem + ".err\ncode: 22\n"), std::string::npos) << result.m_Out;
  EXPECT_TRUE(testsupport::FileExists(folder + "/" + stem + ".rep")) << "--keep leaves the reply";
}

TEST_F(SubmissionTest, ResultCodesAboveAnExitStatusGive255) {
  std::string folder = Folder("root/3");
  FakeDriver driver(folder, {"", "300\n"});
  ChildResult result = Submit({"3," + (m_Temp / "sale.txt") + "," + (m_Temp / "root")});
  EXPECT_EQ(result.m_ExitCode, 255);
  EXPECT_NE(result.m_Out.find("code: 300\n"), std::string::npos) << result.m_Out;
}

TEST_F(SubmissionTest, NoReplyInTimeExits124AndLeavesTheTicketWaiting) {
  std::string folder = Folder("root/3");
  ChildResult result = Submit({"--timeout", "0.3", "3," + (m_Temp / "sale.txt") + "," + (m_Temp / "root")});
  EXPECT_EQ(result.m_ExitCode, 124);
  EXPECT_NE(result.m_Err.find("no reply for"), std::string::npos) << result.m_Err;
  std::vector<std::string> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(std::filesystem::path(files[0]).extension(), ".txt");
}

TEST_F(SubmissionTest, TicketRootComesFromQorCfgInTheRegisteredControlsFolder) {
  std::string base = Folder("base");
  std::string custom = Folder("custom");
  platform::Store(m_Temp / "registry").SetValue(kControlServerKey, "", base + "/libqorctrl.so");
  testsupport::WriteFile(base + "/Qor.cfg", "[FOLDERS]\nReportFolder=/r\nTicketFolder=" + custom + "\n");
  FakeDriver driver(Folder("custom/4"), {});
  ChildResult result = Submit({"4," + (m_Temp / "sale.txt")});
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 0) << result.m_Err;
  EXPECT_EQ(driver.TicketBytes(), kSale);
}

TEST_F(SubmissionTest, MissingCustomFolderFallsBackToTicketsInTheBaseDirectory) {
  std::string base = Folder("base");
  platform::Store(m_Temp / "registry").SetValue(kControlServerKey, "", base + "/libqorctrl.so");
  testsupport::WriteFile(base + "/Qor.cfg", "[FOLDERS]\nTicketFolder=" + (m_Temp / "gone") + "\n");
  FakeDriver driver(Folder("base/Tickets/2"), {});
  ChildResult result = Submit({"2," + (m_Temp / "sale.txt")});
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 0) << result.m_Err;
  EXPECT_EQ(driver.TicketBytes(), kSale);
}

TEST_F(SubmissionTest, WithoutARegisteredControlTheCurrentFolderIsTheBase) {
  std::string work = Folder("work");
  FakeDriver driver(Folder("work/Tickets/1"), {});
  ChildResult result = Submit({"1," + (m_Temp / "sale.txt")}, work);
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 0) << result.m_Err;
  EXPECT_EQ(driver.TicketBytes(), kSale);
}

TEST_F(SubmissionTest, BaseOptionNamesTheBaseDirectory) {
  std::string base = Folder("elsewhere");
  FakeDriver driver(Folder("elsewhere/Tickets/5"), {});
  ChildResult result = Submit({"--base", base, "5," + (m_Temp / "sale.txt")});
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 0) << result.m_Err;
}

TEST_F(SubmissionTest, TicketPathWithCommasAndBlanksIsTakenWhole) {
  std::string ticket = Folder("odd, name") + "/a b,c.txt";
  testsupport::WriteFile(ticket, kSale);
  FakeDriver driver(Folder("root/3"), {});
  ChildResult result = Submit({"3," + ticket + "," + (m_Temp / "root")});
  driver.Join();
  EXPECT_EQ(result.m_ExitCode, 0) << result.m_Err;
  EXPECT_EQ(driver.TicketBytes(), kSale);
}

TEST_F(SubmissionTest, NothingIsSubmittedWithoutARegisterFolderOrATicket) {
  Folder("root/3");
  Folder("Tickets/3");
  struct Case {
    std::string m_Argument;
    const char* m_Says;
  } cases[] = {
      {"9," + (m_Temp / "sale.txt") + "," + (m_Temp / "root"), "no ticket folder"},
      {"3," + (m_Temp / "absent.txt") + "," + (m_Temp / "root"), "cannot read the ticket"},
      {"three," + (m_Temp / "sale.txt"), "cash number"},
      {"3," + (m_Temp / "sale.txt") + "," + (m_Temp / "nowhere"), "must be an existing folder"},
  };
  for (const Case& c : cases) {
    ChildResult result = Submit({c.m_Argument}, m_Temp.Path());
    EXPECT_EQ(result.m_ExitCode, 2) << c.m_Argument;
    EXPECT_NE(result.m_Err.find(c.m_Says), std::string::npos) << result.m_Err;
  }
  EXPECT_TRUE(FilesIn(m_Temp / "root/3").empty());
  EXPECT_TRUE(FilesIn(m_Temp / "Tickets/3").empty());
}

}  // namespace
}  // namespace tools

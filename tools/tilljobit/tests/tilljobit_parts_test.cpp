// TillJobIt's pieces: splitting its argument, reading Qor.cfg, finding the ticket root, naming the
// dropped ticket, and the options.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/store.h"
#include "testsupport/temp_folder.h"
#include "tools/tilljobit/options.h"
#include "tools/tilljobit/reply_report.h"
#include "tools/tilljobit/submission_argument.h"
#include "tools/tilljobit/ticket_drop.h"
#include "tools/tilljobit/ticket_root.h"

namespace tools {
namespace {

TEST(ParseSubmissionArgument, DestinationOnlyWhenTheLastPartIsAnExistingFolder) {
  auto isFolder = [](const std::string& path) { return path == "/root/" || path == "/t"; };
  struct Case {
    const char* m_Argument;
    int m_Result;
    int m_Cash;
    const char* m_Ticket;
    const char* m_Destination;
  } cases[] = {
      {"3,/t/a.txt", 0, 3, "/t/a.txt", ""},
      {" 3 ,/t/a.txt", 0, 3, "/t/a.txt", ""},
      {"3,/t/a.txt,/root/", 0, 3, "/t/a.txt", "/root/"},
      {"12,/t/a,b.txt", 0, 12, "/t/a,b.txt", ""},
      {"3,/t/a,b.txt,/root/", 0, 3, "/t/a,b.txt", "/root/"},
      {"3,/t/a.txt,/missing/", 0, 3, "/t/a.txt,/missing/", ""},
      {"3,/t/a.txt,", 0, 3, "/t/a.txt,", ""},
      {"3,/t", 0, 3, "/t", ""},
      {"3,", 1, 0, "", ""},
      {"3", 1, 0, "", ""},
      {"x,/t/a.txt", 1, 0, "", ""},
      {"3.5,/t/a.txt", 1, 0, "", ""},
      {",/t/a.txt", 1, 0, "", ""},
      {"-3,/t/a.txt", 1, 0, "", ""},
  };
  for (const Case& c : cases) {
    SubmissionArgument parts;
    std::string reason;
    ASSERT_EQ(ParseSubmissionArgument(c.m_Argument, isFolder, parts, reason), c.m_Result) << c.m_Argument;
    if (c.m_Result != 0) {
      EXPECT_FALSE(reason.empty());
      continue;
    }
    EXPECT_EQ(parts.m_Cash, c.m_Cash) << c.m_Argument;
    EXPECT_EQ(parts.m_TicketPath, c.m_Ticket) << c.m_Argument;
    EXPECT_EQ(parts.m_Destination, c.m_Destination) << c.m_Argument;
  }
}

TEST(TicketFolderSetting, ReadsTheKeyWithTheFilesOwnRules) {
  struct Case {
    const char* m_Text;
    const char* m_Value;
  } cases[] = {
      {"[FOLDERS]\nTicketFolder=/srv/t\n", "/srv/t"},
      {"[FOLDERS]\r\nTicketFolder=/srv/t\r\n", "/srv/t"},
      {"[FOLDERS]\nReportFolder=/r\nTicketFolder=/a\nTicketFolder=/b\n", "/b"},
      {"[[FOLDERS]]\nTicketFolder=/srv/t", "/srv/t"},
      {"[folders]\nTicketFolder=/srv/t\n", ""},
      {"[FOLDERS]\nticketfolder=/srv/t\n", ""},
      {"[FOLDERS]\n TicketFolder=/srv/t\n", ""},
      {"[FOLDERS]\nTicketFolder =/srv/t\n", ""},
      {"[FOLDERS]\nTicketFolder= /srv/t \n", " /srv/t "},
      {"TicketFolder=/srv/t\n[FOLDERS]\n", ""},
      {"[FOLDERS]\n[OTHER]\nTicketFolder=/srv/t\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TicketFolderSetting(c.m_Text), c.m_Value) << c.m_Text;
}

TEST(TicketRoot, CustomFolderOnlyWhenItExistsElseTicketsInTheBaseDirectory) {
  testsupport::TempFolder temp;
  std::string base = temp.Path() + "/";
  std::filesystem::create_directory(temp / "custom");
  EXPECT_EQ(TicketRoot(base), base + "Tickets") << "no Qor.cfg";
  testsupport::WriteFile(temp / "Qor.cfg", "[FOLDERS]\nTicketFolder=" + (temp / "custom") + "\n");
  EXPECT_EQ(TicketRoot(base), temp / "custom");
  testsupport::WriteFile(temp / "Qor.cfg", "[FOLDERS]\nTicketFolder=" + (temp / "gone") + "\n");
  EXPECT_EQ(TicketRoot(base), base + "Tickets");
  EXPECT_EQ(TicketRoot(""), "Tickets");
}

TEST(BaseDirectory, FolderOfTheRegisteredControlModule) {
  testsupport::TempFolder temp;
  platform::Store store(temp / "registry");
  EXPECT_EQ(BaseDirectory(store), "") << "nothing registered";
  store.SetValue(kControlServerKey, "", "/opt/qor/lib/libqorctrl.so");
  EXPECT_EQ(BaseDirectory(store), "/opt/qor/lib/");
  store.SetValue(kControlServerKey, "", "libqorctrl.so");
  EXPECT_EQ(BaseDirectory(store), "");
}

TEST(RegisterFolder, JoinsWithoutDoublingTheSeparator) {
  EXPECT_EQ(RegisterFolder("/srv/Tickets", 3), "/srv/Tickets/3");
  EXPECT_EQ(RegisterFolder("/srv/dest/", 12), "/srv/dest/12");
  EXPECT_EQ(RegisterFolder("Tickets", 1), "Tickets/1");
}

TEST(DropTicket, TakesANameNoFileOfTheTicketsFamilyUsesAndLowerCasesIt) {
  testsupport::TempFolder temp;
  std::filesystem::create_directory(temp / "3");
  testsupport::WriteFile(temp / "My Sale!.TXT", "8 \n");
  std::string pid = std::to_string(::getpid());
  // Leftovers of earlier tickets under the first two candidate names.
  testsupport::WriteFile(temp / ("3/mysale-" + pid + "-0.rep"), "0\n");
  testsupport::WriteFile(temp / ("3/mysale-" + pid + "-1.err"), "8 \n");
  DroppedTicket dropped;
  std::string reason;
  ASSERT_EQ(DropTicket(temp / "My Sale!.TXT", temp / "3", dropped, reason), 0) << reason;
  EXPECT_EQ(dropped.m_TicketPath, temp / ("3/mysale-" + pid + "-2.txt"));
  EXPECT_EQ(dropped.m_ReplyPath, temp / ("3/mysale-" + pid + "-2.rep"));
  EXPECT_EQ(testsupport::ReadFile(dropped.m_TicketPath), "8 \n");
  EXPECT_EQ(testsupport::ReadFile(temp / ("3/mysale-" + pid + "-0.rep")), "0\n");
  EXPECT_FALSE(testsupport::FileExists(temp / ("3/mysale-" + pid + "-2.tmp")));
}

TEST(DropTicket, LeavesNothingBehindWhenTheFolderIsMissingOrTheTicketUnreadable) {
  testsupport::TempFolder temp;
  testsupport::WriteFile(temp / "t.txt", "8 \n");
  DroppedTicket dropped;
  std::string reason;
  EXPECT_NE(DropTicket(temp / "t.txt", temp / "missing", dropped, reason), 0);
  EXPECT_NE(reason.find("missing"), std::string::npos) << reason;
  std::filesystem::create_directory(temp / "3");
  EXPECT_NE(DropTicket(temp / "absent.txt", temp / "3", dropped, reason), 0);
  EXPECT_TRUE(std::filesystem::is_empty(temp / "3"));
}

TEST(ReadReply, SplitsTextLinesFromTheFinalCodeAndRefusesAReplyWithoutOne) {
  testsupport::TempFolder temp;
  DroppedTicket ticket = TicketFamily(temp.Path(), "t");
  struct Case {
    const char* m_Reply;
    int m_Result;
    int m_Code;
    std::vector<std::string> m_Lines;
  } cases[] = {
      {"0\n", 0, 0, {}},
      {" 0 0 0 0 0HELLO\n/srv/r.txt\n3\n", 0, 3, {" 0 0 0 0 0HELLO", "/srv/r.txt"}},
      {"22\r\n", 0, 22, {}},
      {"-5\n", 0, -5, {}},
      {"", 1, 0, {}},
      {"text only\n", 1, 0, {}},
  };
  for (const Case& c : cases) {
    testsupport::WriteFile(ticket.m_ReplyPath, c.m_Reply);
    ReplyOutcome outcome;
    std::string reason;
    ASSERT_EQ(ReadReply(ticket, outcome, reason), c.m_Result) << c.m_Reply;
    if (c.m_Result != 0) continue;
    EXPECT_EQ(outcome.m_Code, c.m_Code) << c.m_Reply;
    EXPECT_EQ(outcome.m_ReplyLines, c.m_Lines) << c.m_Reply;
  }
}

TEST(ExitCodeFor, CodesThatDoNotFitAnExitStatusNeverReadAsSuccess) {
  EXPECT_EQ(ExitCodeFor(0), 0);
  EXPECT_EQ(ExitCodeFor(22), 22);
  EXPECT_EQ(ExitCodeFor(255), 255);
  EXPECT_EQ(ExitCodeFor(256), 255);
  EXPECT_EQ(ExitCodeFor(-1), 255);
}

TEST(ParseOptions, ReadsTimeoutBaseKeepAndTheOneArgument) {
  struct Case {
    std::vector<const char*> m_Words;
    int m_Result;
    long long m_TimeoutMs;
  } cases[] = {
      {{"TillJobIt", "3,a.txt"}, 0, 60000},
      {{"TillJobIt", "--timeout", "0.25", "3,a.txt"}, 0, 250},
      {{"TillJobIt", "3,a.txt", "--timeout", "5"}, 0, 5000},
      {{"TillJobIt", "--timeout", "0", "3,a.txt"}, 1, 0},
      {{"TillJobIt", "--timeout", "x", "3,a.txt"}, 1, 0},
      {{"TillJobIt", "--timeout"}, 1, 0},
      {{"TillJobIt"}, 1, 0},
      {{"TillJobIt", "3,a.txt", "4,b.txt"}, 1, 0},
      {{"TillJobIt", "--bogus", "3,a.txt"}, 1, 0},
  };
  for (const Case& c : cases) {
    TillJobItOptions options;
    std::string reason;
    ASSERT_EQ(ParseOptions(static_cast<int>(c.m_Words.size()), c.m_Words.data(), options, reason), c.m_Result)
        << c.m_Words.size();
    if (c.m_Result == 0) {
      EXPECT_EQ(options.m_Timeout.count(), c.m_TimeoutMs);
    }
  }
  TillJobItOptions options;
  std::string reason;
  const char* words[] = {"TillJobIt", "--base", "/opt/qor", "--keep", "3,a.txt"};
  ASSERT_EQ(ParseOptions(5, words, options, reason), 0);
  EXPECT_EQ(options.m_Base, "/opt/qor");
  EXPECT_TRUE(options.m_Keep);
  EXPECT_EQ(options.m_Argument, "3,a.txt");
}

}  // namespace
}  // namespace tools

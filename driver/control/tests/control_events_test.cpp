// The event handlers on their own, for what the emulator never sends: malformed last totals, events of
// registers that are not on the list, questions outside an upload.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "driver/control/control_events.h"
#include "driver/control/ecr_list.h"
#include "testsupport/log_capture.h"
#include "testsupport/temp_folder.h"

namespace driver {
namespace {

// Registers 1 and 3 on the driver's register list, and the follow-up messages posted.
class CTestRegisters final : public IFollowUpPoster {
 public:
  explicit CTestRegisters(const std::string& root) {
    m_List.SetTicketRoot(root);
    for (int number : {1, 3}) {
      m_List.Add(number, number, RegisterMutexes::None);
      std::filesystem::create_directories(root + "/" + std::to_string(number));
    }
  }
  CEcrContext* FindEcr(std::int32_t ecr) { return m_List.FindEcr(ecr); }
  void PostStatusAlert(std::int32_t ecr) override { m_Posts.push_back("WM_STATUSALERT " + std::to_string(ecr)); }

  CEcrList m_List;
  std::vector<std::string> m_Posts;
};

struct CHandlers {
  testsupport::TempFolder m_Folder;
  CTestRegisters m_Registers{m_Folder.Path()};
  CReportDisplay m_Display;
  CControlEvents m_Events{m_Registers.m_List, m_Registers, m_Display};

  std::optional<std::string> Ask(int ecr, const std::string& text) {
    std::optional<std::string> reply = "unset";
    m_Events.DataEvent(ecr, 0, text, reply);
    return reply;
  }
};

struct CPriceCase {
  const char* m_Text;
  const char* m_Price;  // nullptr: rejected, ready flag stays clear
};

class LastTotal : public ::testing::TestWithParam<CPriceCase> {};

TEST_P(LastTotal, SetsThePriceAndAlwaysRewritesTheStatusFile) {
  CHandlers handlers;
  testsupport::LogCapture log;
  CEcrContext& ecr = *handlers.m_Registers.FindEcr(1);
  testsupport::WriteFile(handlers.m_Folder / "1/ticketstatus.out", "an older and longer text\n");
  EXPECT_EQ(std::nullopt, handlers.Ask(1, GetParam().m_Text));
  EXPECT_EQ(std::string(GetParam().m_Text) + "\n", testsupport::ReadFile(handlers.m_Folder / "1/ticketstatus.out"));
  if (GetParam().m_Price == nullptr) {
    EXPECT_EQ(0, ecr.Events().LastPriceReady());
    EXPECT_TRUE(log.Contains("[ZEDO] OnDataEventQorctrl LAST PRICE = ERROR IN STRING!!!"));
  } else {
    EXPECT_EQ(1, ecr.Events().LastPriceReady());
    EXPECT_EQ(GetParam().m_Price, ecr.Events().LastPrice());
    EXPECT_TRUE(log.Contains(std::string("[ZEDO] OnDataEventQorctrl LAST PRICE = [") + GetParam().m_Price + "]"));
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, LastTotal,
                         ::testing::Values(CPriceCase{"D01 1250:7", "12,50"}, CPriceCase{"D01x5:", "0,05"},
                                           CPriceCase{"D01 1250", "0,00"}, CPriceCase{"D01", "0,00"},
                                           CPriceCase{"D01 :", "0,00"}, CPriceCase{"D01 9999999999:1", "99999999,99"},
                                           CPriceCase{"D01 12345678901:1", nullptr}));

TEST(ControlEvents, EventsOfRegistersNotOnTheListAreDropped) {
  CHandlers handlers;
  testsupport::LogCapture log;
  std::optional<std::string> reply;
  handlers.m_Events.DirectIOEvent(2, 0, "OK");
  handlers.m_Events.OutputCompleteEvent(2, 1, 0);
  handlers.m_Events.StatusUpdateEvent(2, "#<TICKETOPEN>1</TICKETOPEN>");
  handlers.m_Events.DataEvent(2, 0, "D01 100:1", reply);
  handlers.m_Events.ReportSavedEvent(2, 51, "/r");
  handlers.m_Events.HistorySavedEvent(2, "/h");
  EXPECT_EQ(std::nullopt, reply);
  EXPECT_FALSE(testsupport::FileExists(handlers.m_Folder / "2/ticketstatus.out"));
  EXPECT_TRUE(handlers.m_Registers.m_Posts.empty());
  for (auto& ecr : handlers.m_Registers.m_List.All()) {
    EXPECT_EQ(0, ecr->Events().IoDirectDone() + ecr->Events().WriteDone() + ecr->Events().Status().m_TicketOpen +
                     ecr->Events().ReportReady() + ecr->Events().HistoryReady() + ecr->Events().LastPriceReady());
  }
  // Only the status handler logs before it looks the register up.
  EXPECT_EQ(std::vector<std::string>{"[ZEDO] OnStatusUpdateEventQorctrl: Received!"}, log.Lines());
}

TEST(ControlEvents, CompletionCarriesTheResultBeforeTheFlag) {
  CHandlers handlers;
  testsupport::LogCapture log;
  handlers.m_Events.OutputCompleteEvent(3, 17, 104);
  CEcrContext& ecr = *handlers.m_Registers.FindEcr(3);
  EXPECT_EQ(1, ecr.Events().WriteDone());
  EXPECT_EQ(104, ecr.Events().WriteResult());
  EXPECT_EQ((std::vector<std::string>{"[ZEDO] OnOutputCompleteEventQorctrl: job [17] result = [104]",
                                      "[ZEDO] OnOutputCompleteEventQorctrl: m_WorkComplete = [TRUE]"}),
            log.Lines());
}

TEST(ControlEvents, HeaderQuestionsCycleThroughThreeAnswers) {
  CHandlers handlers;
  testsupport::LogCapture log;
  CEcrContext& ecr = *handlers.m_Registers.FindEcr(1);
  EXPECT_EQ(std::nullopt, handlers.Ask(1, "B85"));  // not armed
  ecr.Events().Arm(DataQuestion::kHeader, {"A:L1:L2:L3", "B:L4::L6"});
  EXPECT_EQ("A:L1:L2:L3", handlers.Ask(1, "B85"));
  EXPECT_EQ("B:L4::L6", handlers.Ask(1, "B85"));
  EXPECT_EQ("*", handlers.Ask(1, "B85"));
  EXPECT_EQ(std::nullopt, handlers.Ask(1, "B85"));
  EXPECT_FALSE(ecr.Events().Armed(DataQuestion::kHeader));
  EXPECT_EQ(1, ecr.Events().HeaderRow());
  EXPECT_TRUE(handlers.m_Registers.m_Posts.empty());  // the job sends the command that ends the exchange
  EXPECT_TRUE(log.Contains("Event DataEvent received[B85] row[2]"));
}

TEST(ControlEvents, QueueQuestionsHandOutLinesThenTheEndMarkOnce) {
  for (const char* question : {"B80", "B81", "B84"}) {
    CHandlers handlers;
    CEcrContext& ecr = *handlers.m_Registers.FindEcr(3);
    const DataQuestion queue = question[2] == '0'   ? DataQuestion::kDepartments
                               : question[2] == '1' ? DataQuestion::kPlus
                                                    : DataQuestion::kOffers;
    EXPECT_EQ(std::nullopt, handlers.Ask(3, question)) << question;
    ecr.Events().Arm(queue, {"first", "second"});
    EXPECT_EQ("first", handlers.Ask(3, question));
    EXPECT_EQ("second", handlers.Ask(3, question));
    EXPECT_EQ("*", handlers.Ask(3, question));
    EXPECT_EQ(std::nullopt, handlers.Ask(3, question));
    EXPECT_FALSE(ecr.Events().Armed(queue));
    EXPECT_TRUE(handlers.m_Registers.m_Posts.empty()) << question;
  }
}

TEST(ControlEvents, OtherQuestionsAndRequestEventsGetNoReply) {
  CHandlers handlers;
  testsupport::LogCapture log;
  EXPECT_EQ(std::nullopt, handlers.Ask(1, "B99"));
  EXPECT_EQ(std::nullopt, handlers.Ask(1, "d01 100:1"));
  std::optional<std::string> reply = "unset";
  handlers.m_Events.RequestEvent(1, 0, "anything", reply);
  EXPECT_EQ(std::nullopt, reply);
  EXPECT_TRUE(log.Contains("[ZEDO] OnRequestEventQorctrl: Received!, ** NOT EXPECTED **"));
}

// The viewer gets the report path as its only argument; this one writes it where the test looks.
std::string WriteViewer(const testsupport::TempFolder& folder) {
  const std::string viewer = folder / "viewer.sh";
  testsupport::WriteFile(viewer, "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$#\" > \"" + (folder / "viewed.tmp") +
                                     "\"\nmv \"" + (folder / "viewed.tmp") + "\" \"" + (folder / "viewed") + "\"\n");
  ::chmod(viewer.c_str(), 0755);
  return viewer;
}

TEST(ReportDisplay, QuietReportsAreNotShownOthersGoToTheViewerAndTheSheet) {
  CHandlers handlers;
  std::vector<std::string> notices;
  handlers.m_Display.SetReportNotice([&](std::int32_t ecr, const std::string& path, bool openedInViewer) {
    notices.push_back(std::to_string(ecr) + " " + path + (openedInViewer ? " viewer" : ""));
  });
  CEcrContext& ecr = *handlers.m_Registers.FindEcr(1);
  ecr.Events().ExpectReport(/*quiet=*/true);
  handlers.m_Events.ReportSavedEvent(1, 51, "/reports/quiet.txt");
  EXPECT_EQ(1, ecr.Events().ReportReady());
  EXPECT_EQ("/reports/quiet.txt", ecr.Events().ReportPath());
  EXPECT_TRUE(notices.empty());
  ecr.Events().ExpectHistory(/*quiet=*/false);
  handlers.m_Events.HistorySavedEvent(1, "/reports/history 1.txt");
  EXPECT_EQ(1, ecr.Events().HistoryReady());
  EXPECT_EQ(std::vector<std::string>{"1 /reports/history 1.txt"}, notices);

  handlers.m_Display.SetViewerProgram(WriteViewer(handlers.m_Folder));
  handlers.m_Display.SetNotepadForReports(true);
  handlers.m_Events.ReportSavedEvent(1, 51, "/reports/a b;$(x).txt");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!testsupport::FileExists(handlers.m_Folder / "viewed") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ("/reports/a b;$(x).txt|1", testsupport::ReadFile(handlers.m_Folder / "viewed"));
  ASSERT_EQ(2u, notices.size());
  EXPECT_EQ("1 /reports/a b;$(x).txt viewer", notices[1]);

  // A viewer that cannot be started leaves the path to the sheet.
  handlers.m_Display.SetViewerProgram(handlers.m_Folder / "no-such-viewer");
  handlers.m_Events.ReportSavedEvent(1, 52, "/reports/b.txt");
  EXPECT_EQ("1 /reports/b.txt", notices.back());
}

}  // namespace
}  // namespace driver

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <regex>

#include "driver/status/status_json.h"
#include "driver/status/tests/status_sample.h"

namespace {

using driver::CDriverStatus;
using driver::ReadStatusJson;
using driver::StatusJson;

TEST(StatusJson, ReadsBackWhatItWrote) {
  CDriverStatus status = testsupport::SampleStatus(std::chrono::system_clock::now());
  status.m_Registers.push_back({});  // a register with nothing under way, no reply, no trouble
  QByteArray text = StatusJson(status);
  std::string error;
  std::optional<CDriverStatus> read = ReadStatusJson(text, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(*read, status);

  // Local time to the second with its offset, "+00:00" rather than "Z" in UTC.
  EXPECT_TRUE(std::regex_match(status.m_StartedAt, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
      << status.m_StartedAt;
  // The names readers rely on.
  QJsonObject top = QJsonDocument::fromJson(text).object();
  QJsonObject two = top.value("registers").toArray().at(1).toObject();
  EXPECT_EQ(top.value("format").toInt(), 1);
  EXPECT_EQ(top.value("driver").toObject().value("startedAt").toString().toStdString(), status.m_StartedAt);
  EXPECT_EQ(two.value("state").toString(), "running");
  EXPECT_EQ(two.value("ticket").toObject().value("name").toString(), "table-7.txt");
  EXPECT_EQ(two.value("repliesToday").toObject().value("16").toInt(), 1);
  EXPECT_TRUE(top.value("registers").toArray().at(2).toObject().value("lastReply").isNull());
}

// What a reader of format 1 makes of texts that later drivers, or no driver, wrote.
TEST(StatusJson, ReaderTakesFormatOneWithAddedFieldsAndRefusesTheRest) {
  const std::string driver = R"("driver": {"version": "1.0.1", "pid": 7, "startedAt": "", "ticketRoot": "/t",
                                           "durable": false, "host": "till-3"})";
  const std::string ecr = R"({"number": 3, "type": 0, "state": "paper-out", "ticket": null, "waiting": 0,
                              "lastReply": {"ticket": "a.txt", "code": 16, "at": "", "took": 1.5},
                              "repliesToday": {"16": 1}, "trouble": null, "serial": "X1"})";
  struct Case {
    const char* m_Name;
    std::string m_Text;
    std::string m_Error;  // empty: read
  };
  const Case cases[] = {
      {"added keys", R"({"format": 1, "written": "now", )" + driver + R"(, "registers": [)" + ecr + "]}", ""},
      {"next format", R"({"format": 2, )" + driver + R"(, "registers": []})",
       "format 2 is unknown (this reader knows format 1)"},
      {"no format", R"({)" + driver + R"(, "registers": []})", "no \"format\" number: not a status file"},
      {"not JSON", "format=1", "no JSON"},
      {"unknown state", R"({"format": 1, )" + driver + R"(, "registers": [{"number": 1, "type": 0, "state": "asleep",
          "ticket": null, "waiting": 0, "lastReply": null, "repliesToday": {}, "trouble": null}]})",
       "register 1: the state \"asleep\" is unknown"},
      {"count no number", R"({"format": 1, )" + driver + R"(, "registers": [{"number": 1, "type": 0,
          "state": "ready", "ticket": null, "waiting": "two", "lastReply": null, "repliesToday": {},
          "trouble": null}]})",
       "register 1: \"waiting\" is not a number"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.m_Name);
    std::string error;
    std::optional<CDriverStatus> read = ReadStatusJson(QByteArray::fromStdString(test.m_Text), error);
    if (!test.m_Error.empty()) {
      EXPECT_FALSE(read);
      EXPECT_EQ(error.substr(0, test.m_Error.size()), test.m_Error);
      continue;
    }
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->m_Registers.size(), 1u);
    EXPECT_EQ(read->m_Registers[0].m_State, driver::RegisterState::kPaperOut);
    EXPECT_EQ(read->m_Registers[0].m_LastReply, (driver::CLastReply{"a.txt", 16, ""}));
    EXPECT_FALSE(read->m_Durable);
  }
}

}  // namespace

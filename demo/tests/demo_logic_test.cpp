// The decisions behind the form: number check, interval, counter, field checks, TillJobIt's argument
// and where the program is found.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "demo/numeric_text.h"
#include "demo/run_counter.h"
#include "demo/run_fields.h"
#include "demo/till_job_it_command.h"
#include "demo/timer_interval.h"
#include "testsupport/temp_folder.h"

namespace demo {
namespace {

struct NumericCase {
  const char* m_Text;
  bool m_Numeric;
};

TEST(IsNumeric, AcceptsWhatTheFormsRuntimeReadsAsANumber) {
  const NumericCase cases[] = {
      {"3", true},      {" 3 ", true},    {"\t12\t", true}, {"-2.5", true},  {"+3", true},    {"1e3", true},
      {"1E-3", true},   {"2d2", true},    {".5", true},     {"5.", true},    {"007", true},   {"", false},
      {"   ", false},   {"abc", false},   {"3a", false},    {"1 2", false},  {"1.2.3", false}, {"1,5", false},
      {"--1", false},   {"+", false},     {".", false},     {"1e", false},   {"e3", false},   {"1e+", false},
      {"1e999", false}, {"0x10", false},  {"3-", false},
  };
  for (const NumericCase& c : cases) EXPECT_EQ(IsNumeric(c.m_Text), c.m_Numeric) << "[" << c.m_Text << "]";
}

struct IntegerCase {
  const char* m_Text;
  std::optional<std::int16_t> m_Value;
};

TEST(ToInteger16, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
  const IntegerCase cases[] = {
      {"5", 5},          {"2.5", 2},       {"3.5", 4},          {"-2.5", -2},     {"0.4", 0},
      {"1e1", 10},       {"32767", 32767}, {"32767.4", 32767},  {"32767.5", std::nullopt},
      {"-32768", -32768}, {"-32769", std::nullopt}, {"1e9", std::nullopt}, {"abc", std::nullopt},
  };
  for (const IntegerCase& c : cases) EXPECT_EQ(ToInteger16(c.m_Text), c.m_Value) << "[" << c.m_Text << "]";
}

struct IntervalCase {
  const char* m_Text;
  std::optional<int> m_Milliseconds;
};

TEST(TimerIntervalMilliseconds, OnlyOneToThirtyTwoSecondsFit) {
  const IntervalCase cases[] = {
      {"5", 5000},     {" 7 ", 7000},        {"1e1", 10000},        {"2.5", 2000},         {"32", 32000},
      {"32.4", 32000}, {"1", 1000},          {"0.6", 1000},         {"0", std::nullopt},   {"0.4", std::nullopt},
      {"", std::nullopt}, {"abc", std::nullopt}, {"33", std::nullopt}, {"-1", std::nullopt}, {"-32", std::nullopt},
      {"40000", std::nullopt},
  };
  for (const IntervalCase& c : cases)
    EXPECT_EQ(TimerIntervalMilliseconds(c.m_Text), c.m_Milliseconds) << "[" << c.m_Text << "]";
}

TEST(CRunCounter, CountsInFiveDigitsAndOverflowsAt32767WithoutChanging) {
  CRunCounter counter;
  EXPECT_EQ(counter.Display(), "00000");
  EXPECT_EQ(counter.Increment(), 0);
  EXPECT_EQ(counter.Display(), "00001");
  counter = CRunCounter(32766);
  EXPECT_EQ(counter.Increment(), 0);
  EXPECT_EQ(counter.Display(), "32767");
  EXPECT_EQ(counter.Increment(), CRunCounter::kOverflow);
  EXPECT_EQ(counter.Value(), 32767);
  counter.Reset();
  EXPECT_EQ(counter.Display(), "00000");
}

TEST(CheckRunFields, HiddenFilesAndFoldersAreNoTicketFileButADestinationMayBeEither) {
  testsupport::TempFolder temp;
  testsupport::WriteFile(temp / "ticket.txt", "8 \n");
  testsupport::WriteFile(temp / ".hidden.txt", "8 \n");
  std::filesystem::create_directory(temp / "folder");
  struct Case {
    std::string m_File, m_Destination;
    RunRefusal m_Refusal;
  } cases[] = {
      {temp / "ticket.txt", "", RunRefusal::None},
      {temp / ".hidden.txt", "", RunRefusal::FilePath},
      {temp / "folder", "", RunRefusal::FilePath},
      {temp / "ticket.txt", temp / "folder", RunRefusal::None},
      {temp / "ticket.txt", temp / "folder/", RunRefusal::None},
      {temp / "ticket.txt", temp / "ticket.txt", RunRefusal::None},
      {temp / "ticket.txt", temp / "gone", RunRefusal::DestinationPath},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckRunFields({"3", c.m_File, c.m_Destination}), c.m_Refusal) << c.m_File << " " << c.m_Destination;
}

TEST(TillJobItArgument, JoinsTheValuesAsTypedWithCommas) {
  EXPECT_EQ(TillJobItArgument({"3", "/t/a b.txt", ""}), "3,/t/a b.txt");
  EXPECT_EQ(TillJobItArgument({" 3", "/t/x,y.txt ", "/d/"}), " 3,/t/x,y.txt ,/d/");
}

TEST(FindTillJobIt, ChosenProgramFirstThenTheFirstExecutableOnThePath) {
  testsupport::TempFolder temp;
  std::filesystem::create_directories(temp / "plain");
  std::filesystem::create_directories(temp / "exec");
  testsupport::WriteFile(temp / "plain/TillJobIt", "not executable");
  testsupport::WriteFile(temp / "exec/TillJobIt", "#!/bin/sh\n");
  ::chmod((temp / "exec/TillJobIt").c_str(), 0755);
  testsupport::ScopedEnvironment path("PATH", temp / "missing" + ":" + temp / "plain" + ":" + temp / "exec");
  {
    testsupport::ScopedEnvironment chosen("QOR_TILLJOBIT", "");
    EXPECT_EQ(FindTillJobIt(), temp / "exec/TillJobIt");
  }
  {
    testsupport::ScopedEnvironment chosen("QOR_TILLJOBIT", "/opt/elsewhere/TillJobIt");
    EXPECT_EQ(FindTillJobIt(), "/opt/elsewhere/TillJobIt");
  }
  testsupport::ScopedEnvironment chosen("QOR_TILLJOBIT", "");
  testsupport::ScopedEnvironment nowhere("PATH", temp / "plain");
  EXPECT_EQ(FindTillJobIt(), "");
  EXPECT_EQ(FindTillJobIt(temp / "exec"), temp / "exec/TillJobIt") << "the program's own folder comes last";
  EXPECT_EQ(FindTillJobIt(temp / "plain"), "");
}

}  // namespace
}  // namespace demo

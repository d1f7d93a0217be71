// Faults caused while the emulator runs, through the test calls and through the settings file, and
// the recovery from each.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "emulator/result_codes.h"
#include "emulator/tests/emulator_fixture.h"

namespace emulator::testing {
namespace {

// Register 1 is the witness: once a command sent to it after another call has completed, the worker
// has already looked at that earlier call.
void PassWitness(CEmulatorFixture& emulator) { ASSERT_EQ("OK", emulator.Send(1, "0;")); }

struct CHoldingFault {
  const char* m_Name;
  std::function<void(CEmulatorControl&, bool)> m_Set;
  const char* m_StatusPart;
  bool m_HoldsPlainCommands;
};

class HoldingFault : public ::testing::TestWithParam<CHoldingFault> {};

TEST_P(HoldingFault, HoldsPendingOutputUntilTheRegisterIsBack) {
  CEmulatorFixture emulator;
  ASSERT_EQ("OK", emulator.Send(2, "0;+1;"));
  ASSERT_EQ(0, emulator.Write(2, OpenTicket()));
  GetParam().m_Set(emulator.Control(), true);
  ASSERT_TRUE(emulator.Sink().WaitForStatus(2, GetParam().m_StatusPart));

  std::int32_t job = 0;
  ASSERT_EQ(0, emulator.Control().Write(2, 2, Sale("2", "1", "HELD"), job));
  PassWitness(emulator);
  EXPECT_EQ(1, emulator.Sink().Count("OutputComplete", 2));
  GetParam().m_Set(emulator.Control(), false);
  const auto completed = emulator.Sink().WaitFor("OutputComplete", 2, 2);
  ASSERT_TRUE(completed);
  EXPECT_EQ(job, completed->m_Job);
  EXPECT_EQ(0, completed->m_Result);
}

TEST_P(HoldingFault, PlainCommandsAreHeldOnlyWhenTheRegisterIsNotOperating) {
  CEmulatorFixture emulator;
  GetParam().m_Set(emulator.Control(), true);
  ASSERT_TRUE(emulator.Sink().WaitForStatus(2, GetParam().m_StatusPart));
  emulator.Control().IODirect(2, "0;*2;", 0);
  PassWitness(emulator);
  EXPECT_EQ(GetParam().m_HoldsPlainCommands ? 0 : 1, emulator.Sink().Count("DirectIO", 2));
  GetParam().m_Set(emulator.Control(), false);
  EXPECT_TRUE(emulator.Sink().WaitFor("DirectIO", 2));
  EXPECT_TRUE(emulator.Sink().WaitForStatus(2, "<KEYLOCKED>1</KEYLOCKED>"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HoldingFault,
    ::testing::Values(
        CHoldingFault{"PaperOut", [](CEmulatorControl& c, bool on) { c.SetPaperOut(2, on); }, "<PAPEROUT>1</PAPEROUT>", false},
        CHoldingFault{"GenericError", [](CEmulatorControl& c, bool on) { c.SetGenericError(2, on); },
                      "<GENERICERROR>1</GENERICERROR>", false},
        CHoldingFault{"NotOperating", [](CEmulatorControl& c, bool on) { c.SetNotOperating(2, on); },
                      "<OPERATING>0</OPERATING>", true}),
    [](const ::testing::TestParamInfo<CHoldingFault>& info) { return std::string(info.param.m_Name); });

TEST(Faults, ClearOutputDropsHeldOutput) {
  CEmulatorFixture emulator;
  ASSERT_EQ("OK", emulator.Send(2, "0;+1;"));
  emulator.Control().SetPaperOut(2, true);
  std::int32_t job = 0;
  ASSERT_EQ(0, emulator.Control().Write(2, 2, OpenTicket(), job));
  EXPECT_EQ(0, emulator.Control().ClearOutput(2));
  emulator.Control().SetPaperOut(2, false);
  ASSERT_TRUE(emulator.Sink().WaitForStatus(2, "<PAPEROUT>0</PAPEROUT>"));
  PassWitness(emulator);
  EXPECT_EQ(0, emulator.Sink().Count("OutputComplete", 2));
  EXPECT_EQ(0, emulator.Write(2, OpenTicket()));
}

TEST(Faults, ARegisterThatDoesNotAnswerLosesWhatItIsSent) {
  CEmulatorFixture emulator;
  emulator.Control().SetNoAnswer(2, true);
  std::string status;
  EXPECT_EQ(kStatusNoAnswer, emulator.Control().Request(2, 5, status));
  EXPECT_EQ(0, emulator.Control().IODirect(2, "0;*2;", 0));
  PassWitness(emulator);
  emulator.Control().SetNoAnswer(2, false);
  PassWitness(emulator);
  EXPECT_EQ(0, emulator.Sink().Count("DirectIO", 2));
  EXPECT_NE(std::string::npos, emulator.Status(2).find("<KEYLOCKED>0</KEYLOCKED>"));
  EXPECT_EQ("OK", emulator.Send(2, "0;*2;"));
}

// A person causes faults by editing the settings file while the driver runs.
TEST(Faults, SettingsFileChangesArePickedUpWhileRunning) {
  CEmulatorFixture emulator;
  testsupport::WriteFile(emulator.Base() + "/QorEmulator.ini", "[ECR2]\nPaperOut=1\nGenericError=1\n[ECR3]\nNotOperating=1\n");
  EXPECT_TRUE(emulator.Sink().WaitForStatus(2, "<GENERICERROR>1</GENERICERROR><OPERATING>1</OPERATING><PAPEROUT>1</PAPEROUT>"));
  EXPECT_TRUE(emulator.Sink().WaitForStatus(3, "<OPERATING>0</OPERATING>"));
  EXPECT_EQ("003", HelloTextOf(emulator.Status(2)).substr(8, 3));
  testsupport::WriteFile(emulator.Base() + "/QorEmulator.ini", "[ECR2]\nPaperOut=0\n");
  EXPECT_TRUE(emulator.Sink().WaitForStatus(2, "<GENERICERROR>0</GENERICERROR><OPERATING>1</OPERATING><PAPEROUT>0</PAPEROUT>"));
  EXPECT_TRUE(emulator.Sink().WaitForStatus(3, "<OPERATING>2</OPERATING>"));
}

// A fault written while the registers keep the emulator busy applies from the next command on: what a
// register is sent once its last command has completed meets the fault, as a till expects of a
// register that stopped answering.
TEST(Faults, SettingsChangedWhileCommandsFollowOneAnotherApplyBeforeTheNextCompletion) {
  CEmulatorFixture emulator("[ECR2]\nLineDelayMs=300\n[ECR3]\nLineDelayMs=300\n");
  ASSERT_EQ("OK", emulator.Send(2, "0;+1;"));
  ASSERT_EQ(0, emulator.Write(2, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  std::int32_t job = 0;
  ASSERT_EQ(0, emulator.Control().Write(2, 2, Sale("1", "1", "BEFORE"), job));
  ASSERT_EQ(0, emulator.Control().Write(3, 2, Sale("1", "1", "BUSY"), job));  // runs right after it
  // Its line in the journal: the register is printing it, in the middle of the command.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (emulator.Journal(2).find("BEFORE") == std::string::npos && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  testsupport::WriteFile(emulator.Base() + "/QorEmulator.ini", "[ECR2]\nNoAnswer=1\n[ECR3]\nLineDelayMs=300\n");
  ASSERT_TRUE(emulator.Sink().WaitFor("OutputComplete", 2, 2));
  ASSERT_EQ(0, emulator.Control().Write(2, 2, Sale("1", "1", "AFTER"), job));
  ASSERT_TRUE(emulator.Sink().WaitFor("OutputComplete", 3, 2));
  PassWitness(emulator);
  EXPECT_EQ(2, emulator.Sink().Count("OutputComplete", 2));
  EXPECT_NE(std::string::npos, emulator.Journal(2).find("BEFORE"));
  EXPECT_EQ(std::string::npos, emulator.Journal(2).find("AFTER"));
}

TEST(Faults, SettingsAtOpenApplyFromTheStart) {
  CEmulatorFixture emulator("[Registers]\n5=2\n[ecr5]\nRemote=1\nLineDelayMs=1\n");
  EXPECT_NE(std::string::npos, emulator.Status(5).find("<REMOTE>1</REMOTE>"));
  EXPECT_EQ("ERR remote mode: 0;(T 1,00;", emulator.Send(5, "0;(T 1,00;"));
  emulator.Control().SetRemote(5, false);
  EXPECT_EQ("OK", emulator.Send(5, "0;(T 1,00;"));
}

// A slow printer still prints everything, and closing the control does not wait for it.
TEST(Speed, PrintingTakesItsTimeButCloseDoesNotWaitForIt) {
  CEmulatorFixture emulator;
  emulator.Control().SetLineDelay(3, 1);
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, Sale("1", "1", "SLOW")));
  EXPECT_NE(std::string::npos, emulator.Journal(3).find("SLOW"));
  emulator.Control().SetLineDelay(3, 3600 * 1000);
  std::int32_t job = 0;
  ASSERT_EQ(0, emulator.Control().Write(3, 2, Sale("1", "1", "VERY SLOW"), job));
  auto closing = std::async(std::launch::async, [&] { return emulator.Control().Close(); });
  ASSERT_EQ(std::future_status::ready, closing.wait_for(std::chrono::seconds(10)));
  EXPECT_EQ(0, closing.get());
}

struct CUnknownCommand {
  int m_Ecr;
  const char* m_Command;
};

class UnknownCommand : public ::testing::TestWithParam<CUnknownCommand> {};

// An unknown command is refused at the call and journalled; it never completes, so its completion
// cannot be taken for the next command's. A command sent after it is the first to complete.
TEST_P(UnknownCommand, ReturnsNonzeroAndNeverCompletes) {
  CEmulatorFixture emulator;
  const int ecr = GetParam().m_Ecr;
  EXPECT_EQ(kStatusUnknownCommand, emulator.Control().IODirect(ecr, GetParam().m_Command, 0));
  const std::string known = ecr == 1 || ecr == 2 ? "0;" : "*SZ";
  EXPECT_EQ("OK", emulator.Send(ecr, known));
  EXPECT_EQ(1, emulator.Sink().Count("DirectIO", ecr));
  EXPECT_NE(std::string::npos, emulator.Journal(ecr).find(std::string("REFUSED ") + GetParam().m_Command + ": unknown command"));
}

INSTANTIATE_TEST_SUITE_P(Families, UnknownCommand,
                         ::testing::Values(CUnknownCommand{2, "*LI"}, CUnknownCommand{3, "0;*2;"},
                                           CUnknownCommand{1, "0;*9;"}, CUnknownCommand{1, "*2;"},
                                           CUnknownCommand{4, "%S%"}, CUnknownCommand{4, "*S01Q1B$X$Q"},
                                           CUnknownCommand{3, ""}));

TEST(Calls, UnknownRegistersAndRequestsAndClosedControlAreRefused) {
  CEmulatorFixture emulator;
  std::string text;
  std::int32_t job = 0;
  EXPECT_EQ(kStatusUnknownRegister, emulator.Control().IODirect(9, "0;", 0));
  EXPECT_EQ(kStatusUnknownRegister, emulator.Control().Write(9, 2, OpenTicket(), job));
  EXPECT_EQ(kStatusUnknownRegister, emulator.Control().Request(9, 5, text));
  EXPECT_EQ(kStatusUnknownRequest, emulator.Control().Request(2, 99, text));
  EXPECT_EQ(0, emulator.Control().Request(123, 6, text));
  EXPECT_EQ("#<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>2</TYPE><IDECR>3</IDECR><TYPE>0</TYPE>"
            "<IDECR>4</IDECR><TYPE>3</TYPE>",
            text);
  EXPECT_EQ(kStatusAlreadyOpen, emulator.Control().Open(""));
  EXPECT_EQ(0, emulator.Control().Close());
  EXPECT_EQ(kStatusNotOpen, emulator.Control().IODirect(2, "0;", 0));
  EXPECT_EQ(kStatusNotOpen, emulator.Control().Close());
}

}  // namespace
}  // namespace emulator::testing

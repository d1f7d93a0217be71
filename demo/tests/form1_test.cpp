// Form1 on the offscreen platform, starting a recording stand-in for TillJobIt found on PATH.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "demo/detached_starter.h"
#include "demo/folder_list.h"
#include "demo/form1.h"
#include "demo/form2.h"
#include "demo/tests/fake_till_job_it.h"
#include "testsupport/temp_folder.h"

namespace demo {
namespace {

using testing::FakeTillJobIt;
using testing::WhenModalShown;

class RecordingSink final : public IMessageSink {
 public:
  void Warn(const std::string& text) override { m_Texts.push_back(text); }
  std::vector<std::string> m_Texts;
};

// The real detached start, counted, so a test can tell synchronously that nothing was started.
class CountingStarter final : public ITillJobItStarter {
 public:
  int Start(const std::string& argument) override {
    ++m_Count;
    return m_Real.Start(argument);
  }
  int m_Count = 0;

 private:
  CDetachedStarter m_Real;
};

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : m_Fake(m_Temp.Path()), m_Form(m_Messages, m_Starter) {
    m_Ticket = m_Temp / "ticket.txt";
    testsupport::WriteFile(m_Ticket, "8 \n");
  }
  // Every program started must have run before its folder goes away.
  ~Form1Test() override {
    EXPECT_EQ(m_Fake.WaitForStarts(static_cast<size_t>(m_Starter.m_Count)).size(), static_cast<size_t>(m_Starter.m_Count));
  }

  template <typename Widget>
  Widget* Control(const char* name) {
    Widget* widget = m_Form.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Type(const char* field, const std::string& text) { Control<QLineEdit>(field)->setText(QString::fromStdString(text)); }
  std::string Text(const char* field) { return Control<QLineEdit>(field)->text().toStdString(); }
  std::string Counter() { return Control<QLabel>("Label6")->text().toStdString(); }
  void Click(const char* button) { Control<QPushButton>(button)->click(); }
  void TickTimerBox(const std::string& interval) {
    Type("Text4", interval);
    Control<QCheckBox>("Check1")->setChecked(true);
  }

  testsupport::TempFolder m_Temp;
  FakeTillJobIt m_Fake;
  RecordingSink m_Messages;
  CountingStarter m_Starter;
  Form1 m_Form;
  std::string m_Ticket;
};

TEST_F(Form1Test, GoStartsTillJobItWithCashAndFileAsOneArgumentAndCounts) {
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  EXPECT_EQ(Counter(), "00001");
  EXPECT_TRUE(Control<QPushButton>("Command5")->isEnabled());
  EXPECT_TRUE(m_Messages.m_Texts.empty());
  auto starts = m_Fake.WaitForStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].m_ArgumentCount, 1);
  EXPECT_EQ(starts[0].m_Argument, "3," + m_Ticket);
}

TEST_F(Form1Test, PathWithBlanksQuotesAndShellCharactersReachesTillJobItUnchanged) {
  std::filesystem::create_directory(m_Temp / "two words");
  std::string ticket = m_Temp / "two words/it's \"a\" ;$(touch canary); `touch canary2` $HOME & x,y.txt";
  testsupport::WriteFile(ticket, "8 \n");
  Type("Text1", " 3 ");
  Type("Text2", ticket);
  Type("Text3", m_Temp / "two words");
  Click("Command5");
  auto starts = m_Fake.WaitForStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].m_ArgumentCount, 1);
  EXPECT_EQ(starts[0].m_Argument, " 3 ," + ticket + "," + (m_Temp / "two words"));
  EXPECT_FALSE(testsupport::FileExists(m_Temp / "canary"));
  EXPECT_FALSE(testsupport::FileExists("canary"));
  EXPECT_FALSE(testsupport::FileExists("canary2"));
}

struct RefusalCase {
  const char* m_Cash;
  enum { Missing, Ticket, Folder, Hidden, Empty } m_File;
  const char* m_Destination;  // relative to the temporary folder, "" for none
  const char* m_Message;
};

TEST_F(Form1Test, FailingChecksShowTheirMessageAndStartNothing) {
  std::filesystem::create_directory(m_Temp / "dest");
  testsupport::WriteFile(m_Temp / ".hidden.txt", "8 \n");
  const RefusalCase cases[] = {
      {"abc", RefusalCase::Missing, "", "Parameters Error: CASH NUMBER and FILE PATH"},
      {"", RefusalCase::Empty, "", "Parameters Error: CASH NUMBER and FILE PATH"},
      {"3", RefusalCase::Missing, "", "Parameter Error: FILE PATH"},
      {"-2.5", RefusalCase::Folder, "", "Parameter Error: FILE PATH"},
      {"3", RefusalCase::Hidden, "", "Parameter Error: FILE PATH"},
      {"abc", RefusalCase::Ticket, "", "Parameter Error: CASH NUMBER"},
      {"3", RefusalCase::Ticket, "nowhere", "Parameter Error: DESTINATION PATH"},
      {"abc", RefusalCase::Ticket, "nowhere", "Parameter Error: CASH NUMBER"},
  };
  for (const RefusalCase& c : cases) {
    const std::string files[] = {m_Temp / "missing.txt", m_Ticket, m_Temp / "dest", m_Temp / ".hidden.txt", ""};
    m_Messages.m_Texts.clear();
    Type("Text1", c.m_Cash);
    Type("Text2", files[c.m_File]);
    Type("Text3", *c.m_Destination ? m_Temp / c.m_Destination : "");
    Click("Command5");
    EXPECT_EQ(m_Messages.m_Texts, std::vector<std::string>{c.m_Message}) << c.m_Cash << " " << files[c.m_File];
    EXPECT_EQ(Text("Text1"), c.m_Cash);
    EXPECT_EQ(Text("Text2"), files[c.m_File]);
  }
  EXPECT_EQ(m_Starter.m_Count, 0);
  EXPECT_EQ(Counter(), "00000");
}

TEST_F(Form1Test, CancelledFileDialogEmptiesThePathSoTheNextGoFails) {
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  WhenModalShown([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Text File (*.txt)")});
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
    // The build puts the sample tickets beside the programs.
    EXPECT_EQ(dialog->directory().absolutePath(), QCoreApplication::applicationDirPath() + "/samples");
    dialog->reject();
  });
  Click("Command3");
  EXPECT_EQ(Text("Text2"), "");
  Click("Command5");
  EXPECT_EQ(m_Messages.m_Texts, std::vector<std::string>{"Parameter Error: FILE PATH"});
}

TEST_F(Form1Test, FileChosenInTheDialogBecomesThePath) {
  WhenModalShown([this](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(m_Temp.Path()));
    dialog->selectFile(QStringLiteral("ticket.txt"));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  Click("Command3");
  EXPECT_EQ(Text("Text2"), m_Ticket);
}

TEST_F(Form1Test, DestinationChosenInForm2EndsWithTheSeparatorAndTheLineKeepsIt) {
  std::string destination = m_Temp / "root";
  std::filesystem::create_directory(destination);
  WhenModalShown([&](QWidget* modal) {
    auto* chooser = qobject_cast<Form2*>(modal);
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(chooser->Dir1()->SetPath(QString::fromStdString(destination)));
    chooser->Command1()->click();
  });
  Click("Command1");
  EXPECT_EQ(Text("Text3"), destination + "/");
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  auto starts = m_Fake.WaitForStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].m_Argument, "3," + m_Ticket + "," + destination + "/");
}

TEST_F(Form1Test, ClosingForm2WithoutSelectKeepsTheDestination) {
  Type("Text3", "/kept/as/typed");
  WhenModalShown([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  Click("Command1");
  EXPECT_EQ(Text("Text3"), "/kept/as/typed");
}

TEST_F(Form1Test, TickedBoxArmsTheTimerOnlyAfterARunThatGotToTheEnd) {
  TickTimerBox("5");
  QTimer* timer = m_Form.Timer1();
  EXPECT_EQ(timer->interval(), 5000);
  EXPECT_FALSE(timer->isActive()) << "ticking alone starts nothing";
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 5000);
  m_Form.OnTimer1Tick();
  EXPECT_EQ(Counter(), "00002");
  EXPECT_TRUE(timer->isActive()) << "a tick that ran to the end schedules the next";
  EXPECT_EQ(m_Fake.WaitForStarts(2).size(), 2u);

  std::filesystem::remove(m_Ticket);
  m_Form.OnTimer1Tick();
  EXPECT_EQ(m_Messages.m_Texts, std::vector<std::string>{"Parameter Error: FILE PATH"});
  EXPECT_FALSE(timer->isActive()) << "the first failing check ends the repetition";
  EXPECT_EQ(Counter(), "00002");
}

TEST_F(Form1Test, UntickingStopsTheRepetition) {
  TickTimerBox("5");
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  ASSERT_TRUE(m_Form.Timer1()->isActive());
  Control<QCheckBox>("Check1")->setChecked(false);
  EXPECT_FALSE(m_Form.Timer1()->isActive());
  EXPECT_EQ(m_Form.Timer1()->interval(), 0);
}

TEST_F(Form1Test, RefusedIntervalsShowIntervalloErratoAndLeaveTheBoxTicked) {
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  for (const char* interval : {"0", "abc", "", "0.4", "33", "-1", "40000"}) {
    m_Messages.m_Texts.clear();
    Control<QCheckBox>("Check1")->setChecked(false);
    TickTimerBox(interval);
    EXPECT_EQ(m_Messages.m_Texts, std::vector<std::string>{"Intervallo Errato!"}) << interval;
    EXPECT_TRUE(Control<QCheckBox>("Check1")->isChecked()) << interval;
    EXPECT_EQ(m_Form.Timer1()->interval(), 0) << interval;
    Click("Command5");
    EXPECT_FALSE(m_Form.Timer1()->isActive()) << interval << ": runs are not repeated";
  }
}

TEST_F(Form1Test, RefusedIntervalStopsARunningRepetition) {
  TickTimerBox("5");
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  ASSERT_TRUE(m_Form.Timer1()->isActive());
  Control<QCheckBox>("Check1")->setChecked(false);
  TickTimerBox("0");
  EXPECT_FALSE(m_Form.Timer1()->isActive());
}

TEST_F(Form1Test, ResetWhileRepeatingRestartsTheCountAndTheRepetitionGoesOn) {
  TickTimerBox("5");
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  Click("Command5");
  EXPECT_EQ(Counter(), "00002");
  Click("Command2");
  EXPECT_EQ(Counter(), "00000");
  EXPECT_TRUE(m_Form.Timer1()->isActive());
  m_Form.OnTimer1Tick();
  EXPECT_EQ(Counter(), "00001");
  EXPECT_TRUE(m_Form.Timer1()->isActive());
}

TEST_F(Form1Test, OverflowAt32767ShowsOverflowLeavesTheCounterAndStartsNothing) {
  m_Form.RunCount() = CRunCounter(32766);
  TickTimerBox("5");
  Type("Text1", "3");
  Type("Text2", m_Ticket);
  Click("Command5");
  EXPECT_EQ(Counter(), "32767");
  ASSERT_TRUE(m_Form.Timer1()->isActive());
  m_Form.OnTimer1Tick();
  EXPECT_EQ(m_Messages.m_Texts, std::vector<std::string>{"Overflow"});
  EXPECT_EQ(Counter(), "32767");
  EXPECT_EQ(m_Form.RunCount().Value(), 32767);
  EXPECT_EQ(m_Starter.m_Count, 1);
  EXPECT_FALSE(m_Form.Timer1()->isActive());
}

}  // namespace
}  // namespace demo

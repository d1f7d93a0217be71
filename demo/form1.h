#pragma once
// Form1, "TillDemo": the cash number, the ticket file and an optional destination; "GO!" starts
// TillJobIt with them, counts the run and, with "abilita timer" ticked, arms Timer1 to run again after
// the interval. Only a run that got to the end arms the timer, so the first failing check ends the
// repetition. The controls keep the names the form has always had (Text1, Command5, Timer1, ...) as
// their object names.

#include <QString>
#include <QWidget>

#include "demo/message_sink.h"
#include "demo/run_counter.h"
#include "demo/till_job_it_command.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace demo {

class Form1 final : public QWidget {
  Q_OBJECT

 public:
  Form1(IMessageSink& messages, ITillJobItStarter& starter, QWidget* parent = nullptr);

  // RunCount; a test may set it to reach the overflow without 32767 runs.
  CRunCounter& RunCount() { return m_RunCount; }
  QTimer* Timer1() const { return m_Timer1; }

 public slots:
  void OnGo();                 // Command5, "GO!"
  void OnReset();              // Command2, "RESET"
  void OnChooseFile();         // Command3, "..." beside the file path
  void OnChooseDestination();  // Command1, "..." beside the destination
  void OnTimer1Tick();         // Timer1

 private:
  void BuildControls();
  void BuildLines();
  void OnCheck1Toggled(bool ticked);
  void EnableTimer1();

  IMessageSink& m_Messages;
  ITillJobItStarter& m_Starter;
  CRunCounter m_RunCount;
  QString m_ChosenFolder;

  QLineEdit* m_Text1 = nullptr;
  QLineEdit* m_Text2 = nullptr;
  QLineEdit* m_Text3 = nullptr;
  QLineEdit* m_Text4 = nullptr;
  QPushButton* m_Command1 = nullptr;
  QPushButton* m_Command2 = nullptr;
  QPushButton* m_Command3 = nullptr;
  QPushButton* m_Command5 = nullptr;
  QCheckBox* m_Check1 = nullptr;
  QLabel* m_Label6 = nullptr;
  QTimer* m_Timer1 = nullptr;
};

}  // namespace demo

#include "demo/form1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "demo/form2.h"
#include "demo/run_procedure.h"
#include "demo/timer_interval.h"

namespace demo {
namespace {

// The fixed layout of the form, as rectangles in pixels.
struct Place {
  const char* m_Name;
  int m_X, m_Y, m_Width, m_Height;
};

constexpr Place kLines[] = {
    {"Line1", 8, 8, 504, 1},     {"Line2", 8, 248, 504, 1},   {"Line3", 8, 8, 1, 240},
    {"Line4", 512, 8, 1, 241},   {"Line5", 8, 124, 504, 1},   {"Line6", 8, 172, 504, 1},
    {"Line7", 360, 180, 140, 1}, {"Line8", 360, 236, 140, 1}, {"Line9", 360, 180, 1, 56},
    {"Line10", 500, 180, 1, 57},
};

template <typename Widget>
Widget* Placed(Widget* widget, const char* name, int x, int y, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(x, y, width, height);
  return widget;
}

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

// Where the file chooser opens: the sample tickets beside the program (a build's bin folder) or in an
// installation's share/qor, else the program's own folder.
QString SamplesFolder() {
  const QString program = QCoreApplication::applicationDirPath();
  for (const QString& samples : {program + "/samples", program + "/../share/qor/samples"})
    if (QFileInfo(samples).isDir()) return QDir(samples).absolutePath();
  return program;
}

}  // namespace

Form1::Form1(IMessageSink& messages, ITillJobItStarter& starter, QWidget* parent)
    : QWidget(parent), m_Messages(messages), m_Starter(starter) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("TillDemo"));
  setFixedSize(520, 256);
  BuildControls();
  BuildLines();
  m_Timer1 = new QTimer(this);
  m_Timer1->setObjectName(QStringLiteral("Timer1"));
  m_Timer1->setInterval(0);
  connect(m_Timer1, &QTimer::timeout, this, &Form1::OnTimer1Tick);
  connect(m_Command5, &QPushButton::clicked, this, &Form1::OnGo);
  connect(m_Command2, &QPushButton::clicked, this, &Form1::OnReset);
  connect(m_Command3, &QPushButton::clicked, this, &Form1::OnChooseFile);
  connect(m_Command1, &QPushButton::clicked, this, &Form1::OnChooseDestination);
  connect(m_Check1, &QCheckBox::toggled, this, &Form1::OnCheck1Toggled);
}

void Form1::BuildControls() {
  Placed(new QLabel(QStringLiteral("CASH NUMBER :"), this), "Label1", 16, 16, 220, 24);
  m_Text1 = Placed(new QLineEdit(this), "Text1", 240, 16, 80, 24);
  Placed(new QLabel(QStringLiteral("FILE PATH :"), this), "Label2", 16, 52, 220, 24);
  m_Text2 = Placed(new QLineEdit(this), "Text2", 240, 52, 220, 24);
  m_Command3 = Placed(new QPushButton(QStringLiteral("..."), this), "Command3", 468, 52, 36, 24);
  Placed(new QLabel(QStringLiteral("DESTINATION PATH (OPTIONAL) :"), this), "Label3", 16, 88, 220, 24);
  m_Text3 = Placed(new QLineEdit(this), "Text3", 240, 88, 220, 24);
  m_Command1 = Placed(new QPushButton(QStringLiteral("..."), this), "Command1", 468, 88, 36, 24);
  m_Check1 = Placed(new QCheckBox(QStringLiteral("abilita timer"), this), "Check1", 16, 136, 120, 24);
  Placed(new QLabel(QStringLiteral("ogni <"), this), "Label4", 140, 136, 50, 24);
  m_Text4 = Placed(new QLineEdit(QStringLiteral("0"), this), "Text4", 192, 136, 44, 24);
  Placed(new QLabel(QStringLiteral("> secondi"), this), "Label5", 240, 136, 80, 24);
  m_Command5 = Placed(new QPushButton(QStringLiteral("GO!"), this), "Command5", 16, 188, 120, 40);
  m_Command2 = Placed(new QPushButton(QStringLiteral("RESET"), this), "Command2", 148, 188, 120, 40);
  m_Label6 = Placed(new QLabel(QStringLiteral("00000"), this), "Label6", 364, 184, 132, 48);
  m_Label6->setAlignment(Qt::AlignCenter);
  QFont big = m_Label6->font();
  if (big.pointSize() > 0) big.setPointSize(big.pointSize() * 2);
  else big.setPixelSize(big.pixelSize() * 2);
  big.setBold(true);
  m_Label6->setFont(big);
}

void Form1::BuildLines() {
  for (const Place& line : kLines) {
    auto* frame = Placed(new QFrame(this), line.m_Name, line.m_X, line.m_Y, line.m_Width, line.m_Height);
    frame->setFrameShape(line.m_Height == 1 ? QFrame::HLine : QFrame::VLine);
    frame->setFrameShadow(QFrame::Plain);
  }
}

void Form1::OnGo() {
  RunFields fields{m_Text1->text().toStdString(), m_Text2->text().toStdString(), m_Text3->text().toStdString()};
  std::optional<std::string> argument = PrepareRun(fields, m_RunCount, m_Messages);
  if (!argument) return;
  m_Label6->setText(ToQ(m_RunCount.Display()));
  m_Command5->setEnabled(false);
  // What becomes of the started program is TillJobIt's business; the form does not look at the result.
  m_Starter.Start(*argument);
  m_Command5->setEnabled(true);
  if (m_Check1->isChecked()) EnableTimer1();
}

void Form1::OnReset() {
  m_RunCount.Reset();
  m_Label6->setText(ToQ(m_RunCount.Display()));
}

void Form1::OnChooseFile() {
  m_Text2->clear();
  QFileDialog dialog(this);
  dialog.setObjectName(QStringLiteral("CommonDialog1"));
  dialog.setDirectory(SamplesFolder());
  dialog.setNameFilter(QStringLiteral("Text File (*.txt)"));
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted) return;
  QStringList chosen = dialog.selectedFiles();
  if (!chosen.isEmpty()) m_Text2->setText(chosen.first());
}

void Form1::OnChooseDestination() {
  m_ChosenFolder = m_Text3->text();
  Form2 chooser(QCoreApplication::applicationDirPath(), this);
  if (chooser.exec() == QDialog::Accepted) m_ChosenFolder = chooser.ChosenFolder();
  m_Text3->setText(m_ChosenFolder);
}

void Form1::OnTimer1Tick() {
  m_Timer1->stop();
  OnGo();
}

// Ticking only sets the interval; the first run of a repetition is always started with "GO!".
void Form1::OnCheck1Toggled(bool ticked) {
  if (!ticked) {
    m_Timer1->setInterval(0);
    m_Timer1->stop();
    return;
  }
  std::optional<int> interval = TimerIntervalMilliseconds(m_Text4->text().toStdString());
  if (interval) {
    m_Timer1->setInterval(*interval);
    return;
  }
  m_Timer1->setInterval(0);
  m_Timer1->stop();
  m_Messages.Warn(kIntervalError);
}

// A timer with interval 0 never ticks, so it is armed only with an interval set.
void Form1::EnableTimer1() {
  if (m_Timer1->interval() > 0) m_Timer1->start();
}

}  // namespace demo

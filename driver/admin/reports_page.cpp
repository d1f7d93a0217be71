#include "driver/admin/reports_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "driver/ecr/qor_thread.h"

namespace driver {
namespace {

// Message numbers of the reports 0 to 7: Financial, Plu Daily, Department Daily, Cashdrawer,
// Operator, Time Slots, Stamps, Open Tables.
constexpr const char* kReportTexts[kReportChoices] = {"28", "29", "30", "31", "32", "33", "34", "49"};

}  // namespace

CReports::CReports(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  auto* choices = new QGroupBox(Message("27"));
  auto* choiceLayout = new QVBoxLayout(choices);
  for (int report = 0; report < kReportChoices; ++report) {
    auto* button = new QRadioButton(Message(kReportTexts[report]));
    button->setObjectName(QString("report%1").arg(report));
    m_Choice.addButton(button, report);
    choiceLayout->addWidget(button);
  }
  auto* send = new QPushButton(Message("1"));
  send->setObjectName("send");
  auto* print = new QPushButton(Message("52"));
  print->setObjectName("print");
  connect(send, &QPushButton::clicked, this, [this] { Send(0); });
  connect(print, &QPushButton::clicked, this, [this] { Send(1); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(send);
  buttons->addWidget(print);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addWidget(choices);
  layout->addLayout(buttons);
  layout->addStretch();
}

void CReports::LoadInitial(CEcrContext& ecr) { CheckChoice(m_Choice, Remembered(ecr).m_Report.m_ReportType); }

// A report that is not printed is saved by the register; the status line says where.
void CReports::Send(std::int32_t printFlag) {
  CEcrContext* ecr = ChosenEcr();
  const int report = m_Choice.checkedId();
  if (ecr == nullptr) return;
  if (report < 0) {
    ShowStatus("95");
    return;
  }
  CReportJob& sent = Remembered(*ecr).m_Report;
  sent = {report, printFlag};
  CJobExtras extras;
  extras.m_Report = printFlag == 0 ? SavedReport::Expected : SavedReport::NotExpected;
  StartJob(*ecr, sent, extras);
}

}  // namespace driver

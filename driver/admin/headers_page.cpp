#include "driver/admin/headers_page.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"
#include "driver/messages.h"

namespace driver {
namespace {

// Lines 1 to 3 are the register's first header answer, 4 to 6 its second.
std::string& HeaderText(CEcrContext& ecr, int line) {
  return line < 3 ? ecr.m_AnswerA[line] : ecr.m_AnswerB[line - 3];
}

}  // namespace

CHeaders::CHeaders(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  auto* fields = new QFormLayout;
  for (int line = 0; line < kHeaderLines; ++line) {
    m_Lines[line].setObjectName(QString("line%1").arg(line + 1));
    fields->addRow(QString::number(line + 1), &m_Lines[line]);
  }
  auto* send = new QPushButton(Message("62"));
  send->setObjectName("send");
  connect(send, &QPushButton::clicked, this, [this] { Send(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addLayout(fields);
  layout->addWidget(send, 0, Qt::AlignRight);
  layout->addStretch();
}

void CHeaders::LoadInitial(CEcrContext& ecr) {
  for (int line = 0; line < kHeaderLines; ++line) m_Lines[line].setText(FromBytes(HeaderText(ecr, line)));
}

// Lines longer than the register prints are cut; the fields then show what was sent and the status
// line names the lines that were cut.
void CHeaders::Send() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr) return;
  if (TextOf(m_Lines[kHeaderLines - 1]).size() < kHeaderLine6Minimum) {
    ShowStatus("13");
    return;
  }
  std::string cutLines;
  for (int line = 0; line < kHeaderLines; ++line) {
    const std::string text = TextOf(m_Lines[line]);
    HeaderText(*ecr, line) = CutHeaderLine(text, ecr->m_EcrType);
    if (HeaderText(*ecr, line) == text) continue;
    cutLines += (cutLines.empty() ? "" : ", ") + std::to_string(line + 1);
    m_Lines[line].setText(FromBytes(HeaderText(*ecr, line)));
  }
  CJobExtras extras;
  if (!cutLines.empty())
    extras.m_Note = FillIn(Host().MessageText("86"), {cutLines, std::to_string(HeaderWidth(ecr->m_EcrType))});
  // The job waits for the register's header answers while the exchange is pending.
  extras.m_BeforeResume = [](CQorThread& job) { job.Register().m_ExchangePending = 1; };
  StartJob(*ecr, kJobTicketHeader, extras);
}

}  // namespace driver

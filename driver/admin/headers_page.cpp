#include "driver/admin/headers_page.h"

#include <QFormLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"
#include "driver/messages.h"
#include "platform/text_encoding.h"

namespace driver {
namespace {

// Lines 1 to 3 are the register's first header answer, 4 to 6 its second.
std::string& HeaderText(CHeaderJob& header, int line) {
  return line < 3 ? header.m_AnswerA[line] : header.m_AnswerB[line - 3];
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
  CHeaderJob& sent = Remembered(ecr).m_Header;
  for (int line = 0; line < kHeaderLines; ++line) m_Lines[line].setText(FromBytes(HeaderText(sent, line)));
}

// A line longer than the register prints is named before anything is sent: the person either sends
// it cut (the fields then show what was sent) or edits it.
void CHeaders::Send() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr) return;
  if (platform::Utf8Length(TextOf(m_Lines[kHeaderLines - 1])) < kHeaderLine6Minimum) {
    ShowStatus("13");
    return;
  }
  std::string longLines;
  int firstLong = -1;
  for (int line = 0; line < kHeaderLines; ++line) {
    const std::string text = TextOf(m_Lines[line]);
    if (CutHeaderLine(text, ecr->m_EcrType) == text) continue;
    longLines += (longLines.empty() ? "" : ", ") + std::to_string(line + 1);
    if (firstLong < 0) firstLong = line;
  }
  const std::string width = std::to_string(HeaderWidth(ecr->m_EcrType));
  if (!longLines.empty() && !AskSendCut(Message("101", {longLines, width, std::to_string(ecr->m_EcrId)}))) {
    ShowStatus("100", {std::to_string(ecr->m_EcrId)});
    m_Lines[firstLong].setFocus();
    return;
  }
  CHeaderJob& sent = Remembered(*ecr).m_Header;
  for (int line = 0; line < kHeaderLines; ++line) {
    HeaderText(sent, line) = CutHeaderLine(TextOf(m_Lines[line]), ecr->m_EcrType);
    m_Lines[line].setText(FromBytes(HeaderText(sent, line)));
  }
  CJobExtras extras;
  if (!longLines.empty()) extras.m_Note = FillIn(Host().MessageText("86"), {longLines, width});
  StartJob(*ecr, sent, extras);
}

// Yes sends the lines cut; No, the default, goes back to the page to edit them.
bool CHeaders::AskSendCut(const QString& question) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("QorDriver"), question, QMessageBox::Yes | QMessageBox::No,
                  this);
  box.setObjectName("headerCut");
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace driver

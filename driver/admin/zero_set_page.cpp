#include "driver/admin/zero_set_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "driver/ecr/qor_thread.h"

namespace driver {
namespace {

// Message numbers of the zero-sets 0 to 5: Department, Plu, VAT, Payments, Time Slots, Waiters.
constexpr const char* kZeroSetTexts[kZeroSetChoices] = {"55", "56", "57", "58", "59", "60"};

QPushButton* MakeButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  return button;
}

}  // namespace

CZeroSet::CZeroSet(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  auto* choices = new QGroupBox(Message("61"));
  auto* choiceLayout = new QVBoxLayout(choices);
  for (int zeroSet = 0; zeroSet < kZeroSetChoices; ++zeroSet) {
    auto* button = new QRadioButton(Message(kZeroSetTexts[zeroSet]));
    button->setObjectName(QString("zeroSet%1").arg(zeroSet));
    m_Choice.addButton(button, zeroSet);
    choiceLayout->addWidget(button);
  }
  QPushButton* daily = MakeButton(Message("53"), "daily");
  QPushButton* send = MakeButton(Message("54"), "send");
  QPushButton* print = MakeButton(Message("52"), "print");
  connect(daily, &QPushButton::clicked, this, [this] { SendDaily(); });
  connect(send, &QPushButton::clicked, this, [this] { Send(0); });
  connect(print, &QPushButton::clicked, this, [this] { Send(1); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(daily);
  buttons->addStretch();
  buttons->addWidget(send);
  buttons->addWidget(print);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addWidget(choices);
  layout->addLayout(buttons);
  layout->addStretch();
}

// The daily closure leaves no choice checked.
void CZeroSet::LoadInitial(CEcrContext& ecr) { CheckChoice(m_Choice, Remembered(ecr).m_ZeroSet.m_ZeroSetType); }

// The fiscal closure reads nothing of the page: neither the choice nor the print flag. It cannot be
// undone, so it goes out only after the person has confirmed the register it goes to.
void CZeroSet::SendDaily() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr) return;
  if (!Confirm("83", *ecr)) {
    ShowStatus("100", {std::to_string(ecr->m_EcrId)});
    return;
  }
  CZeroSetJob& sent = Remembered(*ecr).m_ZeroSet;
  sent.m_ZeroSetType = kDailyZeroSet;
  StartJob(*ecr, sent);
}

// With no partial zero-set chosen nothing is sent: the empty choice would otherwise read as the
// daily closure, which cannot be undone.
void CZeroSet::Send(std::int32_t printFlag) {
  CEcrContext* ecr = ChosenEcr();
  const int zeroSet = m_Choice.checkedId();
  if (ecr == nullptr) return;
  if (zeroSet < 0) {
    ShowStatus("95");
    return;
  }
  CZeroSetJob& sent = Remembered(*ecr).m_ZeroSet;
  sent = {zeroSet, printFlag};
  StartJob(*ecr, sent);
}

}  // namespace driver

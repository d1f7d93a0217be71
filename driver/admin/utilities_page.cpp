#include "driver/admin/utilities_page.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"

namespace driver {
namespace {

// Unlock Keyboard and Clear Error have commands for the two families only.
bool SpeaksAFamily(const CEcrContext* ecr) {
  return ecr != nullptr && (UsesStarRules(ecr->m_EcrType) || ecr->IsZeroFamily());
}

QPushButton* MakeButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  return button;
}

}  // namespace

CUtilities::CUtilities(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  m_Command.setObjectName("command");
  QPushButton* unlock = MakeButton(Message("35"), "unlockKeyboard");
  QPushButton* clear = MakeButton(Message("36"), "clearError");
  QPushButton* history = MakeButton(Message("16"), "readHistory");
  QPushButton* rollBack = MakeButton(Message("17"), "rollBackHistory");
  QPushButton* direct = MakeButton(Message("45"), "ioDirect");
  connect(unlock, &QPushButton::clicked, this, [this] { UnlockKeyboard(); });
  connect(clear, &QPushButton::clicked, this, [this] { ClearError(); });
  connect(history, &QPushButton::clicked, this, [this] { ReadHistory(); });
  connect(rollBack, &QPushButton::clicked, this, [this] { RollBackHistory(); });
  connect(direct, &QPushButton::clicked, this, [this] { SendCommand(); });
  connect(&m_Command, &QLineEdit::returnPressed, this, [this] { SendCommand(); });

  auto* grid = new QGridLayout;
  grid->addWidget(unlock, 0, 0);
  grid->addWidget(clear, 0, 1);
  grid->addWidget(history, 1, 0);
  grid->addWidget(rollBack, 1, 1);
  grid->addWidget(direct, 2, 0);
  grid->addWidget(&m_Command, 2, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addLayout(grid);
  layout->addStretch();
}

void CUtilities::StartUtility(DirectUtility utility, const std::string& command) {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr || !ecr->JobMutex()) return;
  Host().SetSelectedRegister(EcrSelector().currentIndex());
  if (StartDirectUtility(Host().JobHost(), *ecr, utility, command) == JobStartResult::Started) {
    Status().JobStarted(*ecr, kJobDirectUtility, SavedReport::NotExpected);
  } else {
    Status().JobNotStarted(*ecr);
  }
}

void CUtilities::UnlockKeyboard() {
  if (SpeaksAFamily(ChosenEcr())) StartUtility(DirectUtility::UnlockKeyboard);
}

void CUtilities::ClearError() {
  if (SpeaksAFamily(ChosenEcr())) StartUtility(DirectUtility::ClearError);
}

// The field's text goes out unchanged, whatever the register's family; an empty field sends
// nothing and does not wait for the register.
void CUtilities::SendCommand() {
  const std::string command = TextOf(m_Command);
  if (!command.empty()) StartUtility(DirectUtility::Command, command);
}

// The history is saved by the register; the status line says where.
void CUtilities::ReadHistory() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr) return;
  CJobExtras extras;
  extras.m_Report = SavedReport::Expected;
  StartJob(*ecr, CHistoryRequestJob{}, extras);
}

// Rolling back empties the register's history for good, so it asks first.
void CUtilities::RollBackHistory() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr) return;
  if (Confirm("84", *ecr)) {
    StartJob(*ecr, CHistoryRollbackJob{});
  } else {
    ShowStatus("100", {std::to_string(ecr->m_EcrId)});
  }
}

}  // namespace driver

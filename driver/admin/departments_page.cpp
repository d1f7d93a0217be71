#include "driver/admin/departments_page.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"

namespace driver {

inline constexpr int kLastDepartmentTax = 4;

CDepartments::CDepartments(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  FillNumberSelector(m_Department, 1, kLastDepartment);
  FillNumberSelector(m_Tax, 0, kLastDepartmentTax);
  m_Department.setObjectName("department");
  m_Description.setObjectName("description");
  m_Price.setObjectName("price");
  m_Tax.setObjectName("tax");
  m_Lalo.setObjectName("lalo");
  m_Halo.setObjectName("halo");
  auto* send = new QPushButton(Message("62"));
  send->setObjectName("send");
  connect(send, &QPushButton::clicked, this, [this] { Send(); });

  auto* fields = new QFormLayout;
  fields->addRow(Message("8"), &m_Department);
  fields->addRow(Message("9"), &m_Description);
  fields->addRow(Message("63"), &m_Price);
  fields->addRow(Message("12"), &m_Tax);
  fields->addRow(Message("25"), &m_Lalo);
  fields->addRow(Message("26"), &m_Halo);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addLayout(fields);
  layout->addWidget(send, 0, Qt::AlignRight);
  layout->addStretch();
}

void CDepartments::LoadInitial(CEcrContext& ecr) {
  const CDepartmentRecord& sent = Remembered(ecr).m_Department;
  SelectNumber(m_Department, sent.m_Number);
  SelectNumber(m_Tax, sent.m_Tax);
  m_Description.setText(FromBytes(sent.m_Description));
  m_Price.setText(FromBytes(sent.m_Price));
  m_Lalo.setText(FromBytes(sent.m_Lalo));
  m_Halo.setText(FromBytes(sent.m_Halo));
}

void CDepartments::Send() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr || !DepartmentAllowed(m_Department, *ecr)) return;
  const std::optional<std::string> price = AmountOf(m_Price, Message("63"), *ecr);
  if (!price) return;
  const std::optional<std::string> lalo = AmountOf(m_Lalo, Message("25"), *ecr);
  if (!lalo) return;
  const std::optional<std::string> halo = AmountOf(m_Halo, Message("26"), *ecr);
  if (!halo) return;
  CDepartmentRecord& sent = Remembered(*ecr).m_Department;
  sent = {SelectedNumber(m_Department), TextOf(m_Description), *price, *lalo, *halo, SelectedNumber(m_Tax)};
  StartJob(*ecr, CDepartmentJob{sent});
}

}  // namespace driver

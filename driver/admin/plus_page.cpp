#include "driver/admin/plus_page.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"

namespace driver {
namespace {

// A PLU's tax codes; 9 is the register's tax-free code.
constexpr int kPluTaxes[] = {0, 1, 2, 3, 4, 9};
constexpr const char* kPrice1Label = "Price 1";

}  // namespace

CPlus::CPlus(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  FillNumberSelector(m_Department, 1, kLastDepartment);
  for (int tax : kPluTaxes) m_Tax.addItem(QString::number(tax), tax);
  const std::pair<QWidget*, const char*> names[] = {
      {&m_Code, "code"},   {&m_Description, "description"}, {&m_Price, "price"}, {&m_Department, "department"},
      {&m_Tax, "tax"},     {&m_Discount, "discount"},       {&m_Offer, "offer"}, {&m_Price1, "price1"},
      {&m_Fmult, "fmult"},
  };
  for (auto [widget, name] : names) widget->setObjectName(name);
  auto* send = new QPushButton(Message("62"));
  send->setObjectName("send");
  connect(send, &QPushButton::clicked, this, [this] { Send(); });

  auto* fields = new QFormLayout;
  fields->addRow(Message("65"), &m_Code);
  fields->addRow(Message("9"), &m_Description);
  fields->addRow(Message("63"), &m_Price);
  fields->addRow(Message("8"), &m_Department);
  fields->addRow(Message("12"), &m_Tax);
  fields->addRow("Discount", &m_Discount);
  fields->addRow("Offer", &m_Offer);
  fields->addRow(kPrice1Label, &m_Price1);
  fields->addRow("Mul. Funct.", &m_Fmult);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addLayout(fields);
  layout->addWidget(send, 0, Qt::AlignRight);
  layout->addStretch();
}

// The page shows the register's last PLU as this page sent it, department and tax code included;
// another page's values never stand in for them.
void CPlus::LoadInitial(CEcrContext& ecr) {
  const CPluRecord& sent = Remembered(ecr).m_Plu;
  SelectNumber(m_Department, sent.m_Department);
  SelectNumber(m_Tax, sent.m_Tax);
  LoadPlu(ecr);
}

void CPlus::LoadPlu(const CEcrContext& ecr) {
  const CPluRecord& sent = Remembered(ecr).m_Plu;
  m_Code.setText(FromBytes(sent.m_Code));
  m_Description.setText(FromBytes(sent.m_Description));
  m_Price.setText(FromBytes(sent.m_Price));
}

void CPlus::Send() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr || !DepartmentAllowed(m_Department, *ecr)) return;
  const std::optional<std::string> price = AmountOf(m_Price, Message("63"), *ecr);
  if (!price) return;
  // Price 1 goes to the register as typed; only its form is checked.
  if (!AmountOf(m_Price1, kPrice1Label, *ecr)) return;
  CPluRecord& sent = Remembered(*ecr).m_Plu;
  sent = {TextOf(m_Code),     TextOf(m_Description), *price,           SelectedNumber(m_Department),
          SelectedNumber(m_Tax), TextOf(m_Discount), TextOf(m_Offer), TextOf(m_Price1), TextOf(m_Fmult)};
  StartJob(*ecr, CPluJob{sent});
}

}  // namespace driver

#include "driver/admin/offers_page.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"

namespace driver {
namespace {

constexpr const char* kPriceLabel = "Price";

}  // namespace

COffers::COffers(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  FillNumberSelector(m_Department, 1, kLastDepartment);
  const std::pair<QWidget*, const char*> names[] = {
      {&m_Code, "code"},         {&m_Description, "description"}, {&m_Price, "price"},
      {&m_Department, "department"}, {&m_Offer, "offer"},          {&m_Fmult, "fmult"},
  };
  for (auto [widget, name] : names) widget->setObjectName(name);
  auto* send = new QPushButton(Message("62"));
  send->setObjectName("send");
  connect(send, &QPushButton::clicked, this, [this] { Send(); });

  auto* fields = new QFormLayout;
  fields->addRow("Code", &m_Code);
  fields->addRow("Description", &m_Description);
  fields->addRow(kPriceLabel, &m_Price);
  fields->addRow("Department", &m_Department);
  fields->addRow("Offer", &m_Offer);
  fields->addRow("Mul. Funct.", &m_Fmult);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame("Select an Ecr"));
  layout->addLayout(fields);
  layout->addWidget(send, 0, Qt::AlignRight);
  layout->addStretch();
}

// The first load takes the department of the Departments page.
void COffers::LoadInitial(CEcrContext& ecr) {
  SelectNumber(m_Department, ecr.m_DepNumber);
  LoadOffer(ecr);
}

void COffers::LoadAfterChange(CEcrContext& ecr) {
  LoadOffer(ecr);
  SelectNumber(m_Department, ecr.m_OffDepartment);
}

void COffers::LoadOffer(const CEcrContext& ecr) {
  m_Code.setText(FromBytes(ecr.m_OffCode));
  m_Description.setText(FromBytes(ecr.m_OffDescription));
  m_Price.setText(FromBytes(ecr.m_OffPrice));
  m_Offer.setText(FromBytes(ecr.m_OffNitem));
  m_Fmult.setText(FromBytes(ecr.m_OffFmult));
}

void COffers::Send() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr || !DepartmentAllowed(m_Department, *ecr)) return;
  const std::optional<std::string> price = AmountOf(m_Price, kPriceLabel, *ecr);
  if (!price) return;
  ecr->m_OffCode = TextOf(m_Code);
  ecr->m_OffDescription = TextOf(m_Description);
  ecr->m_OffDepartment = SelectedNumber(m_Department);
  ecr->m_OffPrice = *price;
  ecr->m_OffNitem = TextOf(m_Offer);
  ecr->m_OffFmult = TextOf(m_Fmult);
  StartJob(*ecr, kJobOffer);
}

}  // namespace driver

#include "driver/admin/offers_page.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/ecr/qor_thread.h"

namespace driver {
namespace {

}  // namespace

COffers::COffers(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : CAdminPage(host, status, parent) {
  FillNumberSelector(m_Department, 1, kLastDepartment);
  const std::pair<QWidget*, const char*> names[] = {
      {&m_Code, "code"},         {&m_Description, "description"}, {&m_Price, "price"},
      {&m_Department, "department"}, {&m_Offer, "offer"},          {&m_Fmult, "fmult"},
  };
  for (auto [widget, name] : names) widget->setObjectName(name);
  m_Send.setText(Message("62"));
  m_Send.setObjectName("send");
  connect(&m_Send, &QPushButton::clicked, this, [this] { Send(); });
  m_NoOffers.setObjectName("noOffers");
  m_NoOffers.setText(Message("71"));
  m_NoOffers.setWordWrap(true);

  auto* fields = new QFormLayout;
  fields->addRow(Message("65"), &m_Code);
  fields->addRow(Message("9"), &m_Description);
  fields->addRow(Message("63"), &m_Price);
  fields->addRow(Message("8"), &m_Department);
  fields->addRow("Offer", &m_Offer);
  fields->addRow("Mul. Funct.", &m_Fmult);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeEcrFrame(Message("7")));
  layout->addWidget(&m_NoOffers);
  layout->addLayout(fields);
  layout->addWidget(&m_Send, 0, Qt::AlignRight);
  layout->addStretch();
}

// The page shows the register's last offer as this page sent it, department included. A register
// without offers (types 0 and 3) is shown as such, and nothing can be sent to it.
void COffers::LoadInitial(CEcrContext& ecr) {
  LoadOffer(ecr);
  const COfferRecord& sent = Remembered(ecr).m_Offer;
  SelectNumber(m_Department, sent.m_Department);
  const bool offers = HasOffers(ecr.m_EcrType);
  m_NoOffers.setVisible(!offers);
  for (QWidget* widget : {static_cast<QWidget*>(&m_Code), static_cast<QWidget*>(&m_Description),
                          static_cast<QWidget*>(&m_Price), static_cast<QWidget*>(&m_Department),
                          static_cast<QWidget*>(&m_Offer), static_cast<QWidget*>(&m_Fmult),
                          static_cast<QWidget*>(&m_Send)})
    widget->setEnabled(offers);
}

void COffers::LoadOffer(const CEcrContext& ecr) {
  const COfferRecord& sent = Remembered(ecr).m_Offer;
  m_Code.setText(FromBytes(sent.m_Code));
  m_Description.setText(FromBytes(sent.m_Description));
  m_Price.setText(FromBytes(sent.m_Price));
  m_Offer.setText(FromBytes(sent.m_Nitem));
  m_Fmult.setText(FromBytes(sent.m_Fmult));
}

void COffers::Send() {
  CEcrContext* ecr = ChosenEcr();
  if (ecr == nullptr || !HasOffers(ecr->m_EcrType) || !DepartmentAllowed(m_Department, *ecr)) return;
  const std::optional<std::string> price = AmountOf(m_Price, Message("63"), *ecr);
  if (!price) return;
  COfferRecord& sent = Remembered(*ecr).m_Offer;
  sent = {TextOf(m_Code), TextOf(m_Description), SelectedNumber(m_Department), *price, TextOf(m_Offer), TextOf(m_Fmult)};
  StartJob(*ecr, COfferJob{sent});
}

}  // namespace driver

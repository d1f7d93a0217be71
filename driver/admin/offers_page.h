#pragma once
// COffers: programs one offer of the register.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "driver/admin/admin_page.h"

namespace driver {

class COffers final : public CAdminPage {
  Q_OBJECT
 public:
  COffers(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext& ecr) override;
  void LoadOffer(const CEcrContext& ecr);
  void Send();

  QLabel m_NoOffers;
  QPushButton m_Send;
  QLineEdit m_Code;
  QLineEdit m_Description;
  QLineEdit m_Price;
  QComboBox m_Department;
  QLineEdit m_Offer;
  QLineEdit m_Fmult;
};

}  // namespace driver

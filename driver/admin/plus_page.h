#pragma once
// CPlus: programs one PLU of the register.

#include <QComboBox>
#include <QLineEdit>

#include "driver/admin/admin_page.h"

namespace driver {

class CPlus final : public CAdminPage {
  Q_OBJECT
 public:
  CPlus(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext& ecr) override;
  void LoadPlu(const CEcrContext& ecr);
  void Send();

  QLineEdit m_Code;
  QLineEdit m_Description;
  QLineEdit m_Price;
  QComboBox m_Department;
  QComboBox m_Tax;
  QLineEdit m_Discount;
  QLineEdit m_Offer;
  QLineEdit m_Price1;
  QLineEdit m_Fmult;
};

}  // namespace driver

#pragma once
// CDepartments: programs one department of the register (description, price, limits, tax).

#include <QComboBox>
#include <QLineEdit>

#include "driver/admin/admin_page.h"

namespace driver {

class CDepartments final : public CAdminPage {
  Q_OBJECT
 public:
  CDepartments(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext& ecr) override;
  void Send();

  QComboBox m_Department;
  QLineEdit m_Description;
  QLineEdit m_Price;
  QComboBox m_Tax;
  QLineEdit m_Lalo;
  QLineEdit m_Halo;
};

}  // namespace driver

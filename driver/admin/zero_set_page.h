#pragma once
// CZeroSet: the daily fiscal closure and the partial zero-sets of the register's totals.

#include <QButtonGroup>

#include "driver/admin/admin_page.h"

namespace driver {

inline constexpr int kZeroSetChoices = 6;
inline constexpr std::int32_t kDailyZeroSet = -1;  // the fiscal closure

class CZeroSet final : public CAdminPage {
  Q_OBJECT
 public:
  CZeroSet(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext& ecr) override;
  void SendDaily();
  void Send(std::int32_t printFlag);

  QButtonGroup m_Choice;
};

}  // namespace driver

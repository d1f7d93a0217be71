#pragma once
// CReports: the register's reports, printed or only saved.

#include <QButtonGroup>

#include "driver/admin/admin_page.h"

namespace driver {

inline constexpr int kReportChoices = 8;

class CReports final : public CAdminPage {
  Q_OBJECT
 public:
  CReports(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext& ecr) override;
  void Send(std::int32_t printFlag);

  QButtonGroup m_Choice;
};

}  // namespace driver

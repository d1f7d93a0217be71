#pragma once
// CHeaders: the six lines printed at the top of every receipt.

#include <QLineEdit>
#include <array>

#include "driver/admin/admin_page.h"

namespace driver {

inline constexpr int kHeaderLines = 6;

class CHeaders final : public CAdminPage {
  Q_OBJECT
 public:
  CHeaders(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext& ecr) override;
  void Send();
  bool AskSendCut(const QString& question);

  std::array<QLineEdit, kHeaderLines> m_Lines;
};

}  // namespace driver

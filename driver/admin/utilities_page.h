#pragma once
// CUtilities: keyboard unlock, error clearing and raw native commands, each sent directly to the
// register by a thread of its own under the register's job mutex (direct_utility.h), and the history
// jobs.

#include <QLineEdit>
#include <string>

#include "driver/admin/admin_page.h"
#include "driver/ecr/direct_utility.h"

namespace driver {

class CUtilities final : public CAdminPage {
  Q_OBJECT
 public:
  CUtilities(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext&) override {}
  // Starts the utility on the chosen register; the status line says it went out, and later how the
  // register answered (or that it stayed busy and nothing was sent).
  void StartUtility(DirectUtility utility, const std::string& command = {});
  void UnlockKeyboard();
  void ClearError();
  void SendCommand();
  void ReadHistory();
  void RollBackHistory();

  QLineEdit m_Command;
};

}  // namespace driver

#pragma once
// CUtilities: keyboard unlock, error clearing and raw native commands sent directly from the window
// thread under the register's job mutex, and the history jobs.

#include <QLineEdit>
#include <functional>

#include "driver/admin/admin_page.h"

namespace driver {

class CUtilities final : public CAdminPage {
  Q_OBJECT
 public:
  CUtilities(ISheetHost& host, CSheetStatus& status, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext&) override {}
  // Runs send while holding the register's job mutex, waited for at most m_Limits.m_Utility, and puts
  // the outcome of what send returns (the control's status) on the status line. Sends nothing when the
  // mutex is not obtained in time, and says so.
  void UnderJobMutex(const std::function<ControlStatus(CEcrContext&)>& send);
  void UnlockKeyboard();
  void ClearError();
  void SendCommand();
  void ReadHistory();
  void RollBackHistory();

  QLineEdit m_Command;
};

}  // namespace driver

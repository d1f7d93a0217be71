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
  CUtilities(ISheetHost& host, StatusLine statusLine, QWidget* parent = nullptr);

 private:
  void LoadInitial(CEcrContext&) override {}
  // Runs send while holding the register's job mutex, waited for at most m_Limits.m_Utility; does
  // nothing when the mutex is not obtained in time.
  void UnderJobMutex(const std::function<void(CEcrContext&)>& send);
  void UnlockKeyboard();
  void ClearError();
  void SendCommand();
  void ReadHistory();
  void RollBackHistory();

  QLineEdit m_Command;
};

}  // namespace driver

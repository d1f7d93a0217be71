#pragma once
// The driver's window on a desktop ("Invisible QorDriver Window"): hidden while folder monitoring
// runs; shown only when it could not be started, telling the person at the machine why.

#include <QLabel>
#include <QWidget>

#include "driver/qor_driver_dlg.h"

namespace driver {

class CMainWindow final : public QWidget, public IMainWindow {
  Q_OBJECT
 public:
  explicit CMainWindow(QWidget* parent = nullptr);
  void Show() override;
  void Hide() override { hide(); }

 private:
  QLabel m_Notice;
};

}  // namespace driver

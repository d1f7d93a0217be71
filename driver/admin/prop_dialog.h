#pragma once
// CPropDialog: the administration sheet. Seven pages in tabs and a read-only status line along the
// bottom, where the pages' validation messages and the driver's notices (register trouble, a saved
// report) appear. It has no OK or Cancel: the window's close box ends it.

#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <string>

#include "driver/admin/admin_page.h"
#include "driver/admin/sheet_host.h"

namespace driver {

inline constexpr int kSheetPages = 7;

class CPropDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit CPropDialog(ISheetHost& host, QWidget* parent = nullptr);

  // A text for the status line; called on the window thread.
  void ShowStatus(const std::string& text);
  std::string StatusText() const;

  QTabWidget& Tabs() { return m_Tabs; }
  CAdminPage& Page(int index);

 private:
  QTabWidget m_Tabs;
  QLineEdit m_Status;
};

}  // namespace driver

#include "driver/tray_commands.h"

#include "driver/about_dialog.h"
#include "driver/admin/prop_dialog.h"
#include "driver/driver_sheet_host.h"
#include "driver/messages.h"
#include "driver/qor_driver_dlg.h"

namespace driver {

CTrayCommands::CTrayCommands(CQorDriverDlg& driver, platform::Store& store, IMessageBox& messageBox,
                             IFolderChooser& chooser)
    : m_Driver(driver), m_Store(store), m_MessageBox(messageBox), m_Chooser(chooser) {}

bool CTrayCommands::ModalWindowUp() const {
  return m_Driver.m_ServiceSuspended || m_Driver.m_SheetConfirming || m_Driver.m_AboutOpen;
}

// The folders change only on OK, and not once the driver has begun to close under the dialog.
void CTrayCommands::About() {
  if (m_Driver.IsClosed()) return;
  CAboutDialog dialog(m_Driver, m_Store, m_Chooser);
  const std::string shownReportFolder = dialog.ReportFolder();
  connect(&m_Driver, &CQorDriverDlg::Closing, &dialog, &QDialog::reject);
  m_Driver.m_AboutOpen = true;
  emit AboutOpening(&dialog);
  const int result = dialog.exec();
  m_Driver.m_AboutOpen = false;
  if (result != QDialog::Accepted || m_Driver.IsClosed()) return;
  // An emptied field keeps its folder: an empty ticket root would put the registers' folders at the
  // top of the file system.
  const std::string reportFolder = dialog.ReportFolder().empty() ? shownReportFolder : dialog.ReportFolder();
  const std::string ticketFolder = dialog.TicketFolder().empty() ? m_Driver.TicketRoot() : dialog.TicketFolder();
  m_Driver.ChangeFolders(reportFolder, ticketFolder);
}

// While the sheet is open the driver answers new tickets with reply 11. A shutdown closes the sheet
// first: its pages hold the registers that the shutdown frees.
void CTrayCommands::Show() {
  if (m_Driver.m_ServiceSuspended || m_Driver.m_SheetConfirming || m_Driver.IsClosed()) return;
  m_Driver.m_SheetConfirming = true;
  const MessageAnswer answer = m_MessageBox.Show(LoadMessage("10"), MessageButtons::YesNo);
  m_Driver.m_SheetConfirming = false;
  if (answer != MessageAnswer::Yes || m_Driver.IsClosed()) return;

  m_Driver.m_ServiceSuspended = true;
  CDriverSheetHost host(m_Driver);
  CPropDialog sheet(host);
  connect(&m_Driver, &CQorDriverDlg::Closing, &sheet, &QDialog::reject);
  m_Driver.SetOpenSheet(&sheet);
  m_Driver.ReportDisplay().SetStatusLine([&sheet](const std::string& text) { sheet.ShowStatus(text); });
  emit SheetOpening(&sheet);
  sheet.exec();
  m_Driver.ReportDisplay().SetStatusLine({});
  m_Driver.SetOpenSheet(nullptr);
  m_Driver.m_ServiceSuspended = false;
}

void CTrayCommands::Exit() {
  if (m_MessageBox.Show(LoadMessage("6"), MessageButtons::YesNo) == MessageAnswer::Yes) m_Driver.PostClose();
}

}  // namespace driver

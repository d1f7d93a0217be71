#include "driver/tray_commands.h"

#include <QApplication>

#include "driver/about_dialog.h"
#include "driver/admin/prop_dialog.h"
#include "driver/driver_sheet_host.h"
#include "driver/messages.h"
#include "driver/qor_driver_dlg.h"

namespace driver {
namespace {

// The dialog runs in its own loop, but leaves the command window (where there is no notification
// area) able to take a click, which then brings the dialog to the front; the commands themselves
// stay refused while it is up.
void KeepCommandsReachable(QDialog& dialog) { dialog.setWindowModality(Qt::WindowModal); }

}  // namespace

CTrayCommands::CTrayCommands(CQorDriverDlg& driver, platform::Store& store, IMessageBox& messageBox,
                             IFolderChooser& chooser)
    : m_Driver(driver), m_Store(store), m_MessageBox(messageBox), m_Chooser(chooser) {}

bool CTrayCommands::ModalWindowUp() const { return m_Driver.Modal().ModalWindowUp(); }

void CTrayCommands::RaiseOpenWindow() {
  QWidget* window = QApplication::activeModalWidget();
  if (window == nullptr) return;
  window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window->raise();
  window->activateWindow();
}

// The folders change only on OK, and not once the driver has begun to close under the dialog.
void CTrayCommands::About() {
  if (m_Driver.IsClosed()) return;
  CAboutDialog dialog(m_Driver, m_Store, m_Chooser, m_MessageBox);
  const std::string shownReportFolder = dialog.ReportFolder();
  connect(&m_Driver, &CQorDriverDlg::Closing, &dialog, &QDialog::reject);
  KeepCommandsReachable(dialog);
  CModalState& modal = m_Driver.Modal();
  modal.AboutOpened();
  emit AboutOpening(&dialog);
  const int result = dialog.exec();
  modal.AboutClosed();
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
  CModalState& modal = m_Driver.Modal();
  if (modal.IsServiceSuspended() || modal.IsConfirmingSheet() || m_Driver.IsClosed()) return;
  modal.SheetQuestionAsked();
  const MessageAnswer answer = m_MessageBox.Show(LoadMessage("10"), MessageButtons::YesNo);
  modal.SheetQuestionAnswered();
  if (answer != MessageAnswer::Yes || m_Driver.IsClosed()) return;

  modal.SuspendService();
  CDriverSheetHost host(m_Driver);
  CPropDialog sheet(host);
  connect(&m_Driver, &CQorDriverDlg::Closing, &sheet, &QDialog::reject);
  connect(&m_Driver, &CQorDriverDlg::SheetJobOutcome, &sheet, &CPropDialog::JobEnded);
  KeepCommandsReachable(sheet);
  modal.SheetOpened(&sheet);
  CReportDisplay& display = m_Driver.ReportDisplay();
  display.SetStatusLine([&sheet](const std::string& text) { sheet.ShowStatus(text); });
  display.SetReportNotice([&sheet](std::int32_t ecr, const std::string& path, bool openedInViewer) {
    sheet.ReportSaved(ecr, path, openedInViewer);
  });
  emit SheetOpening(&sheet);
  sheet.exec();
  display.SetReportNotice({});
  display.SetStatusLine({});
  modal.SheetClosed();
}

void CTrayCommands::Exit() {
  if (m_MessageBox.Show(LoadMessage("6"), MessageButtons::YesNoCareful) == MessageAnswer::Yes) m_Driver.PostClose();
}

}  // namespace driver

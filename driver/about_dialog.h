#pragma once
// CAboutDialog (dialog 100): the version, the report and ticket folders with their choosers, the
// switch that opens saved reports in the text viewer, and the message language. The switch and the
// language take effect at once; the folders only when the person confirms with OK, and the caller
// applies them then. Every text is the catalogue's, shown again in a language as soon as it is picked.
// OK refuses, with a message, a changed folder the driver could not use: one
// that is not a full path, or that is neither a folder it can write nor one it can make.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "driver/folder_chooser.h"
#include "driver/message_box.h"

namespace platform {
class Store;
}

namespace driver {

class CQorDriverDlg;

inline constexpr const char* kVersion = "1.0.1";

class CAboutDialog final : public QDialog {
  Q_OBJECT
 public:
  CAboutDialog(CQorDriverDlg& driver, platform::Store& store, IFolderChooser& chooser, IMessageBox& messageBox,
               QWidget* parent = nullptr);

  // The folders as shown when the dialog closed.
  std::string ReportFolder() const;
  std::string TicketFolder() const;

  void accept() override;

 signals:
  // The person picked a language; it is already stored and its catalogue current.
  void LanguageChosen(const std::string& language);

 private:
  // A changed folder field that the driver could not use: says why and keeps the dialog open.
  bool FolderRefused(QLineEdit& field, const QString& shown, const char* label);
  int OpeningWidth() const;
  // The texts of the catalogue now current.
  void ShowTexts();

  QLayout* MakeFolderRow(QLineEdit& field, QPushButton& browse, const char* buttonName, const char* chooserTitle);
  void Browse(QLineEdit& field, const char* chooserTitle);

  CQorDriverDlg& m_Driver;
  platform::Store& m_Store;
  IFolderChooser& m_Chooser;
  IMessageBox& m_MessageBox;
  QString m_ShownReportFolder;
  QString m_ShownTicketFolder;
  QLineEdit m_ReportFolder;  // 1032
  QLineEdit m_TicketFolder;  // 1033
  QCheckBox m_NotepadForReports;  // 1036
  QComboBox m_Language;      // 1011
  QLabel m_Version;
  QLabel m_ReportFolderLabel;
  QLabel m_TicketFolderLabel;
  QLabel m_LanguageLabel;
  QPushButton m_BrowseReportFolder;
  QPushButton m_BrowseTicketFolder;
};

}  // namespace driver

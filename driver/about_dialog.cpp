#include "driver/about_dialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/messages.h"
#include "driver/qor_driver_dlg.h"

namespace driver {
namespace {

QString Text(const char* number) { return QString::fromLocal8Bit(LoadMessage(number).c_str()); }
QString FromBytes(const std::string& bytes) { return QString::fromLocal8Bit(bytes.c_str()); }

}  // namespace

CAboutDialog::CAboutDialog(CQorDriverDlg& driver, platform::Store& store, IFolderChooser& chooser, QWidget* parent)
    : QDialog(parent), m_Driver(driver), m_Store(store), m_Chooser(chooser) {
  setObjectName("aboutDialog");
  setFont(QFont(FromBytes(driver.FontFace()), driver.FontHeight()));
  m_ReportFolder.setObjectName("reportFolder");
  m_TicketFolder.setObjectName("ticketFolder");
  m_NotepadForReports.setObjectName("notepadForReports");
  m_Language.setObjectName("language");

  // Which catalogue is current follows the stored language from here on.
  const std::string language = StoredLanguage(m_Store);
  setWindowTitle(Text("40"));
  m_ReportFolder.setText(FromBytes(driver.Control().GetReportFolder()));
  m_TicketFolder.setText(FromBytes(driver.TicketRoot()));
  m_NotepadForReports.setText(Text("44"));
  m_NotepadForReports.setChecked(driver.ReportDisplay().NotepadForReports());
  for (const char* name : kLanguages) m_Language.addItem(name);
  m_Language.setCurrentText(FromBytes(language));

  connect(&m_NotepadForReports, &QCheckBox::toggled, this,
          [this](bool on) { m_Driver.ReportDisplay().SetNotepadForReports(on); });
  connect(&m_Language, &QComboBox::activated, this,
          [this](int index) { ChangeLanguage(m_Language.itemText(index).toStdString(), m_Store); });

  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(kVersionText));
  layout->addWidget(new QLabel(Text("41")));
  layout->addLayout(MakeFolderRow(m_ReportFolder, "browseReportFolder", "47"));
  layout->addWidget(new QLabel(Text("42")));
  layout->addLayout(MakeFolderRow(m_TicketFolder, "browseTicketFolder", "48"));
  layout->addWidget(&m_NotepadForReports);
  auto* languageRow = new QHBoxLayout;
  languageRow->addWidget(new QLabel(Text("43")));
  languageRow->addWidget(&m_Language, 1);
  layout->addLayout(languageRow);
  layout->addWidget(ok);
}

QLayout* CAboutDialog::MakeFolderRow(QLineEdit& field, const char* buttonName, const char* chooserTitle) {
  auto* browse = new QPushButton(Text("46"));
  browse->setObjectName(buttonName);
  connect(browse, &QPushButton::clicked, this, [this, &field, chooserTitle] { Browse(field, chooserTitle); });
  auto* row = new QHBoxLayout;
  row->addWidget(&field, 1);
  row->addWidget(browse);
  return row;
}

// A cancelled chooser leaves the text as it was.
void CAboutDialog::Browse(QLineEdit& field, const char* chooserTitle) {
  const std::optional<std::string> folder =
      m_Chooser.ChooseFolder(this, LoadMessage(chooserTitle), field.text().toLocal8Bit().toStdString());
  if (folder) field.setText(FromBytes(*folder));
}

std::string CAboutDialog::ReportFolder() const { return m_ReportFolder.text().toLocal8Bit().toStdString(); }
std::string CAboutDialog::TicketFolder() const { return m_TicketFolder.text().toLocal8Bit().toStdString(); }

}  // namespace driver

#include "driver/about_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "driver/messages.h"
#include "driver/qor_driver_dlg.h"

namespace driver {
namespace {

QString Text(const char* number) { return QString::fromLocal8Bit(LoadMessage(number).c_str()); }

// The names of English, Greek and Italian (kLanguages' order) in the catalogue.
constexpr const char* kLanguageNameTexts[] = {"109", "110", "111"};
QString FromBytes(const std::string& bytes) { return QString::fromLocal8Bit(bytes.c_str()); }

bool WritableFolder(const QFileInfo& folder) { return folder.isDir() && folder.isWritable(); }

}  // namespace

CAboutDialog::CAboutDialog(CQorDriverDlg& driver, platform::Store& store, IFolderChooser& chooser,
                           IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_Driver(driver), m_Store(store), m_Chooser(chooser), m_MessageBox(messageBox) {
  setObjectName("aboutDialog");
  setFont(QFont(FromBytes(driver.FontFace()), driver.FontHeight()));
  m_ReportFolder.setObjectName("reportFolder");
  m_TicketFolder.setObjectName("ticketFolder");
  m_NotepadForReports.setObjectName("notepadForReports");
  m_Language.setObjectName("language");

  m_Version.setObjectName("version");
  // Which catalogue is current follows the stored language from here on.
  const std::string language = StoredLanguage(m_Store);
  m_ShownReportFolder = FromBytes(driver.Control().GetReportFolder());
  m_ShownTicketFolder = FromBytes(driver.TicketRoot());
  m_ReportFolder.setText(m_ShownReportFolder);
  m_TicketFolder.setText(m_ShownTicketFolder);
  m_NotepadForReports.setChecked(driver.ReportDisplay().NotepadForReports());
  // Each language under its name in the language of the moment; the stored name is its item data.
  for (const char* name : kLanguages) m_Language.addItem(name, QString::fromLatin1(name));
  m_Language.setCurrentIndex(m_Language.findData(FromBytes(language)));
  ShowTexts();

  connect(&m_NotepadForReports, &QCheckBox::toggled, this,
          [this](bool on) { m_Driver.ReportDisplay().SetNotepadForReports(on); });
  connect(&m_Language, &QComboBox::activated, this, [this](int index) {
    const std::string language = m_Language.itemData(index).toString().toStdString();
    ChangeLanguage(language, m_Store);
    ShowTexts();
    emit LanguageChosen(language);
  });

  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(&m_Version);
  layout->addWidget(&m_ReportFolderLabel);
  layout->addLayout(MakeFolderRow(m_ReportFolder, m_BrowseReportFolder, "browseReportFolder", "47"));
  layout->addWidget(&m_TicketFolderLabel);
  layout->addLayout(MakeFolderRow(m_TicketFolder, m_BrowseTicketFolder, "browseTicketFolder", "48"));
  layout->addWidget(&m_NotepadForReports);
  auto* languageRow = new QHBoxLayout;
  languageRow->addWidget(&m_LanguageLabel);
  languageRow->addWidget(&m_Language, 1);
  layout->addLayout(languageRow);
  layout->addWidget(ok);
  resize(OpeningWidth(), sizeHint().height());
}

void CAboutDialog::ShowTexts() {
  setWindowTitle(Text("40"));
  m_Version.setText(QStringLiteral("QorDriver ") + Text("108") + QLatin1Char(' ') + QLatin1String(kVersion));
  m_ReportFolderLabel.setText(Text("41"));
  m_TicketFolderLabel.setText(Text("42"));
  m_LanguageLabel.setText(Text("43"));
  m_NotepadForReports.setText(Text("44"));
  m_BrowseReportFolder.setText(Text("46"));
  m_BrowseTicketFolder.setText(Text("46"));
  for (int item = 0; item < m_Language.count(); ++item)
    m_Language.setItemText(item, Text(kLanguageNameTexts[item]));
}

// Wide enough to show the longer of the two folders whole, as far as the screen allows.
int CAboutDialog::OpeningWidth() const {
  const int longest = std::max(m_ReportFolder.fontMetrics().horizontalAdvance(m_ReportFolder.text()),
                               m_TicketFolder.fontMetrics().horizontalAdvance(m_TicketFolder.text()));
  // A line edit's own hint is 17 average characters plus its frame and text margins.
  const int fieldHint = m_ReportFolder.sizeHint().width();
  const int frame = fieldHint - 17 * m_ReportFolder.fontMetrics().horizontalAdvance(QLatin1Char('x'));
  int width = sizeHint().width() + std::max(0, longest + frame - fieldHint);
  if (const QScreen* display = screen()) width = std::min(width, display->availableGeometry().width());
  return width;
}

void CAboutDialog::accept() {
  if (FolderRefused(m_ReportFolder, m_ShownReportFolder, "41")) return;
  if (FolderRefused(m_TicketFolder, m_ShownTicketFolder, "42")) return;
  QDialog::accept();
}

// An emptied or unchanged field keeps its folder and is not looked at. The driver makes a missing
// folder itself, one level deep, so a new folder inside a writable one is fine.
bool CAboutDialog::FolderRefused(QLineEdit& field, const QString& shown, const char* label) {
  const QString folder = field.text();
  if (folder.isEmpty() || folder == shown) return false;
  const QFileInfo info(folder);
  const QFileInfo madeIn(info.absolutePath());
  const char* problem = nullptr;
  if (!QDir::isAbsolutePath(folder)) {
    problem = "87";
  } else if (!WritableFolder(info.exists() ? info : madeIn)) {
    problem = "88";
  }
  if (problem == nullptr) return false;
  m_MessageBox.Show(FillIn(LoadMessage(problem), {LoadMessage(label), field.text().toLocal8Bit().toStdString()}),
                    MessageButtons::Ok);
  field.setFocus();
  field.selectAll();
  return true;
}

QLayout* CAboutDialog::MakeFolderRow(QLineEdit& field, QPushButton& browse, const char* buttonName,
                                     const char* chooserTitle) {
  browse.setObjectName(buttonName);
  connect(&browse, &QPushButton::clicked, this, [this, &field, chooserTitle] { Browse(field, chooserTitle); });
  auto* row = new QHBoxLayout;
  row->addWidget(&field, 1);
  row->addWidget(&browse);
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

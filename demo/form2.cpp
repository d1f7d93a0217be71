#include "demo/form2.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStringList>
#include <QVBoxLayout>

#include "demo/folder_list.h"

namespace demo {

Form2::Form2(const QString& startFolder, QWidget* parent)
    : QDialog(parent),
      m_Drive1(new QComboBox(this)),
      m_Dir1(new CFolderList(this)),
      m_Command1(new QPushButton(QStringLiteral("Select"), this)) {
  setWindowTitle(QStringLiteral("Choose Directory"));
  setObjectName(QStringLiteral("Form2"));
  m_Drive1->setObjectName(QStringLiteral("Drive1"));
  m_Dir1->setObjectName(QStringLiteral("Dir1"));
  m_Command1->setObjectName(QStringLiteral("Command1"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_Drive1);
  layout->addWidget(m_Dir1);
  layout->addWidget(m_Command1);
  resize(320, 360);

  FillDrives();
  if (!m_Dir1->SetPath(startFolder)) m_Dir1->SetPath(QDir::rootPath());
  ShowDriveOf(m_Dir1->Path());
  connect(m_Drive1, &QComboBox::currentIndexChanged, this, &Form2::OnDriveChanged);
  connect(m_Dir1, &CFolderList::PathChanged, this, &Form2::ShowDriveOf);
  connect(m_Command1, &QPushButton::clicked, this, &Form2::OnSelect);
}

void Form2::FillDrives() {
  QStringList roots{QDir::rootPath()};
  const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
  for (const QStorageInfo& volume : volumes)
    if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath())) roots.append(volume.rootPath());
  roots.sort();
  m_Drive1->addItems(roots);
}

// Drive1 follows the folder list: it shows the root of the file system that holds the folder.
void Form2::ShowDriveOf(const QString& folder) {
  QString root = QStorageInfo(folder).rootPath();
  if (root.isEmpty()) root = QDir::rootPath();
  QSignalBlocker quiet(m_Drive1);
  int index = m_Drive1->findText(root);
  if (index < 0) {
    m_Drive1->addItem(root);
    index = m_Drive1->count() - 1;
  }
  m_Drive1->setCurrentIndex(index);
}

// A drive that cannot be listed puts the drive list back on the folder list's drive, silently.
void Form2::OnDriveChanged(int index) {
  if (index < 0 || !m_Dir1->SetPath(m_Drive1->itemText(index))) ShowDriveOf(m_Dir1->Path());
}

void Form2::OnSelect() {
  m_ChosenFolder = m_Dir1->Path();
  if (!m_ChosenFolder.endsWith(QLatin1Char('/'))) m_ChosenFolder += QLatin1Char('/');
  accept();
}

}  // namespace demo

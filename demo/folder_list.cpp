#include "demo/folder_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace demo {
namespace {

constexpr int kPathRole = Qt::UserRole;

// "/", "/home", "/home/user" for "/home/user".
QStringList AncestorsAndSelf(const QString& folder) {
  QStringList chain;
  QDir dir(folder);
  while (true) {
    chain.prepend(dir.absolutePath());
    if (dir.isRoot() || !dir.cdUp()) break;
  }
  return chain;
}

QString EntryText(const QString& path, int depth) {
  QString name = QFileInfo(path).fileName();
  if (name.isEmpty()) name = path;
  return QString(depth * 2, QLatin1Char(' ')) + name;
}

}  // namespace

CFolderList::CFolderList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { SetPath(item->data(kPathRole).toString()); });
}

bool CFolderList::SetPath(const QString& folder) {
  QFileInfo info(folder);
  if (!info.isDir() || !info.isReadable() || !QDir(folder).isReadable()) return false;
  m_Path = QDir(info.absoluteFilePath()).absolutePath();
  Fill();
  emit PathChanged(m_Path);
  return true;
}

void CFolderList::Fill() {
  clear();
  QStringList chain = AncestorsAndSelf(m_Path);
  for (int depth = 0; depth < chain.size(); ++depth) {
    auto* item = new QListWidgetItem(EntryText(chain[depth], depth), this);
    item->setData(kPathRole, chain[depth]);
  }
  setCurrentRow(static_cast<int>(chain.size()) - 1);
  QDir dir(m_Path);
  const QStringList subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : subfolders) {
    auto* item = new QListWidgetItem(EntryText(dir.filePath(name), static_cast<int>(chain.size())), this);
    item->setData(kPathRole, dir.filePath(name));
  }
}

}  // namespace demo

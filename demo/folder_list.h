#pragma once
// Dir1 of the folder chooser: a list of the current folder's ancestors, the folder itself and its
// subfolders, each indented by its depth. Activating an entry (double click, Enter) moves there.

#include <QListWidget>
#include <QString>

namespace demo {

class CFolderList final : public QListWidget {
  Q_OBJECT

 public:
  explicit CFolderList(QWidget* parent = nullptr);

  const QString& Path() const { return m_Path; }
  // Moves to a readable folder; false (and nothing changes) when it cannot be listed.
  bool SetPath(const QString& folder);

 signals:
  void PathChanged(const QString& folder);

 private:
  void Fill();

  QString m_Path;
};

}  // namespace demo

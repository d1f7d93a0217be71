#pragma once
// Form2, "Choose Directory": a drive list (on Linux the mounted file systems' roots), a folder list and
// "Select". It opens on the program's own folder. "Select" hands out the folder followed by "/"; closing
// the window any other way hands out nothing.

#include <QDialog>
#include <QString>

class QComboBox;
class QPushButton;

namespace demo {

class CFolderList;

class Form2 final : public QDialog {
  Q_OBJECT

 public:
  explicit Form2(const QString& startFolder, QWidget* parent = nullptr);

  // The folder chosen with "Select", ending with "/"; empty before that.
  const QString& ChosenFolder() const { return m_ChosenFolder; }

  QComboBox* Drive1() const { return m_Drive1; }
  CFolderList* Dir1() const { return m_Dir1; }
  QPushButton* Command1() const { return m_Command1; }

 private:
  void FillDrives();
  void ShowDriveOf(const QString& folder);
  void OnDriveChanged(int index);
  void OnSelect();

  QComboBox* m_Drive1;
  CFolderList* m_Dir1;
  QPushButton* m_Command1;
  QString m_ChosenFolder;
};

}  // namespace demo

#include "driver/folder_chooser.h"

#include <QFileDialog>

namespace driver {

std::optional<std::string> CWidgetFolderChooser::ChooseFolder(QWidget* parent, const std::string& title,
                                                              const std::string& start) {
  const QString folder = QFileDialog::getExistingDirectory(parent, QString::fromLocal8Bit(title.c_str()),
                                                           QString::fromLocal8Bit(start.c_str()),
                                                           QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toLocal8Bit().toStdString();
}

}  // namespace driver

#pragma once
// Choosing a folder: the desktop's folder chooser in the program, an answering one in tests.

#include <optional>
#include <string>

class QWidget;

namespace driver {

class IFolderChooser {
 public:
  virtual ~IFolderChooser() = default;
  // The chosen folder, or nothing when the person cancelled.
  virtual std::optional<std::string> ChooseFolder(QWidget* parent, const std::string& title,
                                                  const std::string& start) = 0;
};

// QFileDialog's folder chooser, limited to folders of the file system.
class CWidgetFolderChooser final : public IFolderChooser {
 public:
  std::optional<std::string> ChooseFolder(QWidget* parent, const std::string& title, const std::string& start) override;
};

}  // namespace driver

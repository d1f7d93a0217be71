// The folder chooser on its own: where it opens, moving between folders and drives, and "Select".

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "demo/folder_list.h"
#include "demo/form2.h"
#include "testsupport/temp_folder.h"

namespace demo {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

TEST(Form2, OpensOnTheStartFolderWithItsSubfoldersAndItsDrive) {
  testsupport::TempFolder temp;
  std::filesystem::create_directories(temp / "b");
  std::filesystem::create_directories(temp / "a");
  Form2 chooser(Q(temp.Path()));
  EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Choose Directory"));
  EXPECT_EQ(chooser.Command1()->text(), QStringLiteral("Select"));
  EXPECT_EQ(chooser.Dir1()->Path(), Q(temp.Path()));
  QListWidget* list = chooser.Dir1();
  ASSERT_GE(list->count(), 3);
  EXPECT_EQ(list->item(list->count() - 2)->text().trimmed(), QStringLiteral("a"));
  EXPECT_EQ(list->item(list->count() - 1)->text().trimmed(), QStringLiteral("b"));
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("/"));
  EXPECT_FALSE(chooser.Drive1()->currentText().isEmpty());
  EXPECT_TRUE(Q(temp.Path()).startsWith(chooser.Drive1()->currentText()));
}

TEST(Form2, ActivatingAnEntryMovesThereAndSelectAddsTheSeparator) {
  testsupport::TempFolder temp;
  std::filesystem::create_directories(temp / "sub");
  Form2 chooser(Q(temp.Path()));
  QListWidget* list = chooser.Dir1();
  QListWidgetItem* sub = list->item(list->count() - 1);
  emit list->itemActivated(sub);
  EXPECT_EQ(chooser.Dir1()->Path(), Q(temp / "sub"));
  EXPECT_TRUE(chooser.ChosenFolder().isEmpty());
  chooser.Command1()->click();
  EXPECT_EQ(chooser.ChosenFolder(), Q(temp / "sub/"));
  EXPECT_EQ(chooser.result(), QDialog::Accepted);
}

TEST(Form2, TheRootIsChosenWithOneSeparatorOnly) {
  Form2 chooser(QDir::rootPath());
  chooser.Command1()->click();
  EXPECT_EQ(chooser.ChosenFolder(), QStringLiteral("/"));
}

TEST(Form2, AFolderThatCannotBeListedChangesNothing) {
  testsupport::TempFolder temp;
  Form2 chooser(Q(temp.Path()));
  EXPECT_FALSE(chooser.Dir1()->SetPath(Q(temp / "missing")));
  EXPECT_EQ(chooser.Dir1()->Path(), Q(temp.Path()));
}

TEST(Form2, AnUnusableDriveFallsBackSilentlyToTheFolderListsDrive) {
  testsupport::TempFolder temp;
  Form2 chooser(Q(temp.Path()));
  QString before = chooser.Drive1()->currentText();
  chooser.Drive1()->addItem(Q(temp / "no-such-drive"));
  chooser.Drive1()->setCurrentIndex(chooser.Drive1()->count() - 1);
  EXPECT_EQ(chooser.Drive1()->currentText(), before);
  EXPECT_EQ(chooser.Dir1()->Path(), Q(temp.Path()));
}

TEST(Form2, ChangingTheDriveMovesTheFolderListThere) {
  testsupport::TempFolder temp;
  std::filesystem::create_directories(temp / "start");
  std::filesystem::create_directories(temp / "mounted");
  Form2 chooser(Q(temp / "start"));
  chooser.Drive1()->addItem(Q(temp / "mounted"));
  chooser.Drive1()->setCurrentIndex(chooser.Drive1()->count() - 1);
  EXPECT_EQ(chooser.Dir1()->Path(), Q(temp / "mounted"));
}

}  // namespace
}  // namespace demo

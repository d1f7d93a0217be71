#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testsupport/temp_folder.h"

namespace {

using platform::Durability;

// A file replaced as its own writer does: every state a writer killed on the way can leave reads as
// the old file or the new one, and the next replacement starts from the newest whole one.
TEST(OwnFile, EveryStateAKilledWriterLeavesReadsWhole) {
  testsupport::TempFolder folder;
  const std::string path = folder / "memory.txt";
  EXPECT_FALSE(platform::ReadOwnFile(path));
  ASSERT_TRUE(platform::ReplaceOwnFile(path, "first\n", Durability::kCached));
  ASSERT_TRUE(platform::ReplaceOwnFile(path, "second\n", Durability::kSynced));
  EXPECT_EQ(platform::ReadOwnFile(path), "second\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));

  // Killed while writing the new file: the old one stands.
  testsupport::WriteFile(path + ".new", "thi");
  EXPECT_EQ(platform::ReadOwnFile(path), "second\n");
  // Killed after removing the old file, before the rename: the whole new file stands.
  testsupport::WriteFile(path + ".new", "third\n");
  std::filesystem::remove(path);
  EXPECT_EQ(platform::ReadOwnFile(path), "third\n");
  ASSERT_TRUE(platform::ReplaceOwnFile(path, "fourth\n", Durability::kCached));
  EXPECT_EQ(platform::ReadOwnFile(path), "fourth\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

}  // namespace

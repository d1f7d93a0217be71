#include "platform/rewritable_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testsupport/temp_folder.h"

namespace {

using platform::Durability;

// A file rewritten in place holds exactly the last bytes written, shorter or longer than before, and
// what was written reads back through a second descriptor of the same file.
TEST(RewritableFile, HoldsExactlyTheLastRewrite) {
  testsupport::TempFolder folder;
  const std::string path = folder / "memory.txt";
  platform::CRewritableFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(file.Read(), "");
  ASSERT_TRUE(file.Rewrite("a longer first text\n", Durability::kCached));
  ASSERT_TRUE(file.Rewrite("short\n", Durability::kSynced));
  EXPECT_EQ(file.Read(), "short\n");
  ASSERT_TRUE(file.Rewrite("longer again than before\n", Durability::kCached));
  platform::CRewritableFile again;
  ASSERT_TRUE(again.Open(path));
  EXPECT_EQ(again.Read(), "longer again than before\n");
}

TEST(RewritableFile, IsNeverOpenedThroughALink) {
  testsupport::TempFolder folder;
  testsupport::WriteFile(folder / "target", "keep");
  std::filesystem::create_symlink(folder / "target", folder / "link");
  platform::CRewritableFile file;
  EXPECT_FALSE(file.Open(folder / "link"));
  EXPECT_EQ(testsupport::ReadFile(folder / "target"), "keep");
}

}  // namespace

#include "platform/folder_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>

#include "platform/flush_group.h"
#include "platform/text_file.h"
#include "testsupport/temp_folder.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

// What someone with write access to a ticket folder may put where the driver is about to write.
enum class Planted { Nothing, LinkToAFile, DanglingLink, Fifo };

struct CWriteCase {
  const char* m_Name;
  // Writes "new\n" at the path the way one of the driver's writers does; true when it says it did.
  std::function<bool(const TempFolder&, const std::string& path)> m_Write;
};

void PrintTo(const CWriteCase& writer, std::ostream* out) { *out << writer.m_Name; }
void PrintTo(Planted planted, std::ostream* out) { *out << static_cast<int>(planted); }

class WritersInATicketFolder : public ::testing::TestWithParam<std::tuple<CWriteCase, Planted>> {};

bool AppendNew(const TempFolder&, const std::string& path) { return !platform::AppendToFile(path, "new\n").Failed(); }
bool CreateNew(const TempFolder&, const std::string& path) {
  platform::FileDescriptor file = platform::CreateNewFile(path);
  return file.IsOpen() && platform::WriteAll(file, "new\n") && file.Close();
}
bool RenameNew(const TempFolder& folder, const std::string& path) {
  WriteFile(folder / "work", "new\n");
  return !platform::RenameWithoutReplacing(folder / "work", path).Failed();
}
bool ReplaceNew(const TempFolder&, const std::string& path) { return platform::ReplaceWholeFile(path, "new\n"); }

// A link or FIFO in the way is removed, never written through nor waited on; the writer's file stands
// in its place and the link's target is untouched.
TEST_P(WritersInATicketFolder, NeverWriteThroughWhatWasPlanted) {
  const auto& [writer, planted] = GetParam();
  TempFolder folder;
  std::string path = folder / "w.inf";
  WriteFile(folder / "target", "target\n");
  int planting = 0;
  if (planted == Planted::LinkToAFile) planting = ::symlink((folder / "target").c_str(), path.c_str());
  if (planted == Planted::DanglingLink) planting = ::symlink((folder / "missing").c_str(), path.c_str());
  if (planted == Planted::Fifo) planting = ::mkfifo(path.c_str(), 0644);
  ASSERT_EQ(planting, 0);

  EXPECT_TRUE(writer.m_Write(folder, path));
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
  EXPECT_EQ(ReadFile(path), "new\n");
  EXPECT_EQ(ReadFile(folder / "target"), "target\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<CWriteCase, Planted>>& info) {
  static const char* kPlanted[] = {"OnNothing", "OverALink", "OverADanglingLink", "OverAFifo"};
  return std::string(std::get<0>(info.param).m_Name) + kPlanted[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Planted, WritersInATicketFolder,
    ::testing::Combine(::testing::Values(CWriteCase{"Append", AppendNew},
                                         CWriteCase{"CreateNew", CreateNew},
                                         CWriteCase{"RenameWithoutReplacing", RenameNew},
                                         CWriteCase{"ReplaceWhole", ReplaceNew}),
                       ::testing::Values(Planted::Nothing, Planted::LinkToAFile, Planted::DanglingLink, Planted::Fifo)),
    CaseName);

TEST(FolderFiles, ARealFileIsKeptWhereItStands) {
  TempFolder folder;
  WriteFile(folder / "a.rep", "0\n");
  WriteFile(folder / "a.mag", "3\n");
  EXPECT_TRUE(platform::RenameWithoutReplacing(folder / "a.mag", folder / "a.rep").Failed());
  EXPECT_EQ(ReadFile(folder / "a.rep"), "0\n");
  EXPECT_FALSE(platform::AppendToFile(folder / "a.mag", "4\n").Failed());
  EXPECT_EQ(ReadFile(folder / "a.mag"), "3\n4\n");
  std::filesystem::create_directories(folder / "dir.mmm");
  EXPECT_FALSE(platform::CreateNewFile(folder / "dir.mmm").IsOpen());
  EXPECT_TRUE(platform::AppendToFile(folder / "dir.mmm", "x").Failed());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.mmm"));
}

TEST(FolderFiles, ListingTellsLinksAndSpecialFilesFromFiles) {
  TempFolder folder;
  WriteFile(folder / "t.txt", "8\n");
  ASSERT_EQ(::symlink("/etc/passwd", (folder / "l.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "f.txt").c_str(), 0644), 0);
  std::filesystem::create_directories(folder / "d.txt");
  std::optional<std::vector<platform::FolderEntry>> entries = platform::ListFolder(folder.Path());
  ASSERT_TRUE(entries);
  std::map<std::string, platform::EntryKind> kinds;
  for (const auto& entry : *entries) kinds[entry.m_Name] = entry.m_Kind;
  EXPECT_EQ(kinds, (std::map<std::string, platform::EntryKind>{{"d.txt", platform::EntryKind::Folder},
                                                               {"f.txt", platform::EntryKind::Special},
                                                               {"l.txt", platform::EntryKind::SymbolicLink},
                                                               {"t.txt", platform::EntryKind::RegularFile}}));
  EXPECT_FALSE(platform::ListFolder(folder / "none"));
}

}  // namespace

namespace {

// A step's names are given only after its data is flushed, and each step hears how it went, in the
// order the steps were asked for; a folder that is gone fails its step alone.
TEST(FlushGroup, StepsAreDoneInOrderAndFailAlone) {
  TempFolder folder;
  const std::string work = folder / "a.mag", reply = folder / "a.rep";
  WriteFile(work, "0\n");
  for (platform::CFlushGroup::Mode mode : {platform::CFlushGroup::Mode::kDurable, platform::CFlushGroup::Mode::kCached}) {
    platform::CFlushGroup group(mode);
    std::vector<std::string> done;
    group.FlushThen({{work}, {{work, reply}}, {folder.Path()}}, [&](const platform::CFlushOutcome& outcome) {
      done.push_back("named " + std::to_string(outcome.m_Error.Number()));
    });
    // Cached, nothing is flushed, so nothing can fail to be.
    const bool durable = mode == platform::CFlushGroup::Mode::kDurable;
    const platform::CFlushOutcome gone = group.Flush({{}, {}, {folder / "gone"}});
    EXPECT_EQ(gone.m_Error.Number(), durable ? ENOENT : 0);
    EXPECT_EQ(gone.m_Path, durable ? folder / "gone" : "");
    EXPECT_EQ(done, std::vector<std::string>{"named 0"}) << "the earlier step is done first";
    EXPECT_EQ(ReadFile(reply), "0\n");
    // Renames never replace a reply already there.
    WriteFile(work, "3\n");
    EXPECT_EQ(group.Flush({{work}, {{work, reply}}, {}}).m_Error.Number(), EEXIST);
    EXPECT_EQ(ReadFile(reply), "0\n");
    std::filesystem::remove(reply);
    WriteFile(work, "0\n");
    EXPECT_EQ(group.Counts().m_Steps, 3u);
  }
}

}  // namespace

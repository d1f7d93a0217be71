#include "driver/tickets/reply_files.h"

#include <gtest/gtest.h>

#include "driver/ecr/document_reader.h"
#include "testsupport/log_capture.h"
#include "testsupport/temp_folder.h"

namespace driver {
namespace {

using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

TEST(ReplyFiles, WarningLinesAreRightAlignedIndexAndCode) {
  testsupport::TempFolder folder;
  std::string warnings = folder / "abc.inf";
  AppendWarningLine(warnings, 0, 0);
  AppendWarningLine(warnings, 12, 16);
  AppendWarningLine(warnings, 123, 12345);
  AppendWarningLine(warnings, 1000, 123456);
  EXPECT_EQ(ReadFile(warnings), "  0    0\n 12   16\n12312345\n1000123456\n");
}

TEST(ReplyFiles, ReplyTextLinesThenTheCodeAppearOnlyAfterTheRename) {
  testsupport::TempFolder folder;
  std::string work = folder / "abc.mag";
  std::string reply = folder / "abc.rep";
  AppendReplyText(work, "/reports/x1.txt");
  AppendReplyText(work, " 0 0 1 0 1hello");
  EXPECT_FALSE(FileExists(reply)) << "the reply must not exist before it is complete";
  ASSERT_TRUE(WriteReplyCode(work, 16));
  EXPECT_FALSE(FileExists(reply)) << "the reply must not exist before it is named";
  ASSERT_TRUE(NameReply(work, reply));
  EXPECT_FALSE(FileExists(work));
  EXPECT_EQ(ReadFile(reply), "/reports/x1.txt\n 0 0 1 0 1hello\n16\n");
}

TEST(ReplyFiles, AnExistingReplyIsNeverOverwritten) {
  testsupport::TempFolder folder;
  std::string work = folder / "abc.mag";
  std::string reply = folder / "abc.rep";
  WriteFile(reply, "0\n");
  ASSERT_TRUE(WriteReplyCode(work, 3));
  EXPECT_FALSE(NameReply(work, reply));
  EXPECT_EQ(ReadFile(reply), "0\n");
  EXPECT_EQ(ReadFile(work), "3\n") << "the reply stays in the work file";
}

TEST(ReplyFiles, WritersThatCannotOpenTheirFileLogWithATrailingSpace) {
  testsupport::TempFolder folder;
  testsupport::LogCapture log;
  std::string missing = folder / "gone/abc.inf";
  AppendWarningLine(missing, 0, 0);
  AppendReplyText("", "text");
  EXPECT_FALSE(WriteReplyCode(folder / "gone/abc.mag", 0));
  EXPECT_TRUE(log.Contains("WriteWarning: outputfile [" + missing + "] == NULL "));
  EXPECT_TRUE(log.Contains("WriteReplyString: outputfile [] == NULL "));
}

TEST(DocumentReader, ReadsWholeLinesOfAnyLengthAndDropsTheirLineEnds) {
  testsupport::TempFolder folder;
  std::string path = folder / "doc.xmm";
  std::string longLine = "<SELLITEM><DESCRIPTION>" + std::string(1500, 'x') + "</DESCRIPTION></SELLITEM>";
  WriteFile(path, "first\r\n\n" + longLine + "\nwith\rinside\nlast\r");
  CDocumentReader reader;
  ASSERT_TRUE(reader.Open(path));
  std::vector<std::string> lines;
  std::string line;
  while (reader.NextLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "", longLine, "with\rinside", "last\r"}));
  CDocumentReader missing;
  EXPECT_FALSE(missing.Open(folder / "none.xmm"));
}

}  // namespace
}  // namespace driver

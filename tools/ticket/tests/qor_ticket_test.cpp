#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "testsupport/temp_folder.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun RunTool(const TempFolder& folder, const std::string& arguments) {
  std::string command = std::string(QOR_TICKET_PROGRAM) + " " + arguments + " >" + (folder / "out") + " 2>" +
                        (folder / "err");
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(folder / "out"), ReadFile(folder / "err")};
}

TEST(QorTicketTool, PrintsTheDocumentOrExplainsTheRejectedLine) {
  TempFolder folder;
  WriteFile(folder / "good.txt", "/ comment\n8\n561\n10\n99\n");
  ToolRun good = RunTool(folder, "translate --ecr-type 0 " + (folder / "good.txt"));
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.out, "<TICKETVOID></TICKETVOID>\n<HISTORY_ROLLBACK></HISTORY_ROLLBACK>\n<READ_STATUS></READ_STATUS>\n");
  EXPECT_EQ(good.err, "");  // the driver's log lines stay out of the tool's output

  WriteFile(folder / "bad.txt", "8\n\n1 " + std::string(25, ' ') + "     1x,00" + std::string(46, ' ') + "\n8\n");
  ToolRun bad = RunTool(folder, "translate " + (folder / "bad.txt"));
  EXPECT_EQ(bad.status, 22);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, folder / "bad.txt" + ":3: rejected: field PRICE \"1x,00\" is not a number\n");

  WriteFile(folder / "short.txt", "6 1,00\n");
  ToolRun shortClose = RunTool(folder, "translate " + (folder / "short.txt"));
  EXPECT_EQ(shortClose.status, 22);
  EXPECT_NE(shortClose.err.find("data length 4 is outside the accepted 47 to 49 or 50 to 51"), std::string::npos);

  WriteFile(folder / "nul.txt", std::string("8\n5 00AB\0CD\n", 12));
  ToolRun nul = RunTool(folder, "translate " + (folder / "nul.txt"));
  EXPECT_EQ(nul.status, 22);
  EXPECT_EQ(nul.err, folder / "nul.txt" + ":2: rejected: NUL byte in the record\n");

  // The same ticket in a Greek code page: read as declared, rejected as UTF-8 with the byte's column.
  WriteFile(folder / "greek.txt", "5 00\xCA\xC1\xD6\xC5\xD3\n");
  EXPECT_EQ(RunTool(folder, "translate --encoding CP1253 " + (folder / "greek.txt")).out,
            "<PRINTLINE><MODE>00</MODE><MESSAGE>ΚΑΦΕΣ</MESSAGE></PRINTLINE>\n");
  ToolRun notUtf8 = RunTool(folder, "translate " + (folder / "greek.txt"));
  EXPECT_EQ(notUtf8.status, 22);
  EXPECT_EQ(notUtf8.err, folder / "greek.txt" + ":1: rejected: byte 0xCA at column 5 is no UTF-8 text\n");

  WriteFile(folder / "unknown.txt", "60\n");
  EXPECT_NE(RunTool(folder, "translate " + (folder / "unknown.txt")).err.find("record code \"60\" is unknown"),
            std::string::npos);
}

TEST(QorTicketTool, UsageAndUnreadableFiles) {
  TempFolder folder;
  EXPECT_EQ(RunTool(folder, "").status, 2);
  EXPECT_EQ(RunTool(folder, "translate").status, 2);
  EXPECT_EQ(RunTool(folder, "translate --ecr-type 7 x").status, 2);
  EXPECT_EQ(RunTool(folder, "convert x").status, 2);
  EXPECT_EQ(RunTool(folder, "translate --encoding EBCDIC-XX x").status, 2);
  EXPECT_EQ(RunTool(folder, "translate " + (folder / "missing.txt")).status, 1);
}

}  // namespace

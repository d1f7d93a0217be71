// Every sample ticket a newcomer is pointed at, submitted with TillJobIt to the running driver, gets the
// reply it is meant to get: 0, and 22 for the deliberately bad one.

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <string>

#include "tests/end_to_end/running_driver.h"

namespace {

struct SampleCase {
  const char* file;
  int ecr;  // a register whose type takes the sample (offers need type 1 or 2, "*SZ" type 0 or 3)
  int expectedCode;
};

TEST(SampleTickets, EachSampleIsAnsweredWithItsCode) {
  endtoend::CRunningDriver driver;
  ASSERT_TRUE(driver.Start()) << driver.Log();
  const SampleCase cases[] = {
      {"sale.txt", 1, 0},    {"refund.txt", 2, 0},      {"ticketvoid.txt", 3, 0},  {"table.txt", 4, 0},
      {"status.txt", 1, 0},  {"xreport.txt", 2, 0},     {"zeroset.txt", 3, 0},     {"departments.txt", 1, 0},
      {"plus.txt", 4, 0},    {"offers.txt", 2, 0},      {"header.txt", 3, 0},      {"protocol.txt", 3, 0},
      {"bad.txt", 1, 22},
  };
  int checked = 0;
  for (const SampleCase& sample : cases) {
    std::string path = std::string(QOR_SAMPLES_DIR) + "/" + sample.file;
    QProcess submit;
    submit.start(QOR_TILLJOBIT_PROGRAM,
                 {"--timeout", "60",
                  QString::fromStdString(std::to_string(sample.ecr) + "," + path + "," + driver.Base() + "/Tickets")});
    ASSERT_TRUE(submit.waitForFinished(90000)) << sample.file;
    std::string output = submit.readAllStandardOutput().toStdString() + submit.readAllStandardError().toStdString();
    EXPECT_EQ(submit.exitCode(), sample.expectedCode) << sample.file << "\n" << output << driver.Log();
    EXPECT_NE(output.find("code: " + std::to_string(sample.expectedCode)), std::string::npos) << output;
    ++checked;
  }
  // Every sample in the folder is covered by the table above.
  int samples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QOR_SAMPLES_DIR)) samples += entry.path().extension() == ".txt";
  EXPECT_EQ(checked, samples);
  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
}

}  // namespace

// The driver's posted messages are queued calls: every test runs beside one Qt core application.
// Some tests start programs named "QorServer.exe" or a driver that ends them: the program holds the
// machine-wide lock of such tests while it runs. The drivers keep their registers' lock files in a
// runtime folder of this program's own.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/tests/competing_process.h"
#include "testsupport/temp_folder.h"

int main(int argc, char** argv) {
  testsupport::PrivateRuntimeFolder runtime;
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  platformtest::CompetingProgramsLock lock;
  return RUN_ALL_TESTS();
}

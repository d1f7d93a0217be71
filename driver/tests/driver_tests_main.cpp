// The driver's posted messages are queued calls: every test runs beside one Qt core application.
// Some tests start programs named "QorServer.exe" or a driver that ends them: the program holds the
// machine-wide lock of such tests while it runs.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/tests/competing_process.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  platformtest::CompetingProgramsLock lock;
  return RUN_ALL_TESTS();
}

// The drivers these tests start (and the drivers they start in turn) keep their registers' lock files
// in a runtime folder of this program's own, so that a register one test holds up never holds up a
// test run beside it.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "testsupport/temp_folder.h"

int main(int argc, char** argv) {
  testsupport::PrivateRuntimeFolder runtime;
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The desktop's widgets need an application object; every test runs beside one, on the offscreen
// platform when no other is chosen. The drivers these tests start keep their registers' lock files in
// a runtime folder of this program's own.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include "testsupport/temp_folder.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("QOR_DEBUG_LOG", "0", 0);
  testsupport::PrivateRuntimeFolder runtime;
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The watcher raises Notify from the event loop of the thread that created it, so the tests run
// with a core application on the main thread and wait by spinning that loop.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

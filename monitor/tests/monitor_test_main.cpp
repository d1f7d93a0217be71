// The watcher raises Notify from the event loop of the thread that created it, so the tests run
// with a core application on the main thread and wait by spinning that loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  // Some tests count this process's threads; a sanitizer starts a thread of its own with the first
  // thread the process makes, so that happens here, before any test counts.
  std::thread([] {}).join();
  return RUN_ALL_TESTS();
}

// The program's window thread: calls posted from any thread run on it, one at a time, each poster's
// in the order it posted them; a nested event loop (a message box) runs the calls posted while it is
// up, so a box shown by one call does not hold up the registers' events behind it.
#include "platform/qt_window_thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>
#include <vector>

namespace {

template <class Done>
bool RunLoopUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}

TEST(QtWindowThread, RunsEveryPostersCallsInOrderOnItself) {
  platform::CQtWindowThread window;
  constexpr int kPerPoster = 2000;
  std::vector<int> ran;
  bool allOnWindowThread = true;
  auto post = [&](int first) {
    for (int i = first; i < first + kPerPoster; ++i) {
      window.Post([&, i] {
        ran.push_back(i);
        allOnWindowThread = allOnWindowThread && window.IsCurrent();
      });
    }
  };
  std::thread one(post, 0);
  std::thread two(post, kPerPoster);
  post(2 * kPerPoster);  // the window thread itself posts too
  one.join();
  two.join();

  ASSERT_TRUE(RunLoopUntil([&] { return ran.size() == 3u * kPerPoster; })) << ran.size();
  EXPECT_TRUE(allOnWindowThread);
  std::vector<int> next = {0, kPerPoster, 2 * kPerPoster};
  for (int value : ran) {
    int& expected = next[static_cast<std::size_t>(value / kPerPoster)];
    ASSERT_EQ(expected, value);
    ++expected;
  }
}

TEST(QtWindowThread, ANestedLoopRunsTheCallsPostedWhileItIsUp) {
  platform::CQtWindowThread window;
  bool nestedRunning = false;
  bool ranInside = false;
  bool outerDone = false;
  window.Post([&] {
    QEventLoop nested;
    QTimer::singleShot(10000, &nested, &QEventLoop::quit);  // only so that a failure ends
    std::thread poster([&] {
      window.Post([&] {
        ranInside = nestedRunning;
        if (nestedRunning) nested.quit();
      });
    });
    nestedRunning = true;
    nested.exec();
    nestedRunning = false;
    poster.join();
    outerDone = true;
  });
  ASSERT_TRUE(RunLoopUntil([&] { return outerDone; }));
  EXPECT_TRUE(ranInside);
}

}  // namespace

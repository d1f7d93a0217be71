// The desktop's widgets need an application object; every test runs beside one, on the offscreen
// platform when no other is chosen. The drivers these tests start hold their registers' mutexes
// across processes through lock files in XDG_RUNTIME_DIR: a folder of this program's own keeps them
// apart from drivers that other test programs run at the same time.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("QOR_DEBUG_LOG", "0", 0);
  char runtime[] = "/tmp/qor-gui-tests-XXXXXX";
  const bool ownRuntime = ::mkdtemp(runtime) != nullptr;
  if (ownRuntime) ::setenv("XDG_RUNTIME_DIR", runtime, 1);
  int status = 0;
  {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  if (ownRuntime) std::filesystem::remove_all(runtime, ignored);
  return status;
}

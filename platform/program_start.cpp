#include "platform/program_start.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/debug_log.h"

extern char** environ;

namespace platform {
namespace {

// A started program inherits ignored signals; the driver ignores these for itself only.
constexpr int kResetSignals[] = {SIGPIPE, SIGIO, SIGTERM, SIGINT};

// The spawn's attributes: a session of its own, default handling of the signals above.
class CSpawnAttributes {
 public:
  CSpawnAttributes() {
    ::posix_spawnattr_init(&m_Attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signalNumber : kResetSignals) sigaddset(&defaults, signalNumber);
    ::posix_spawnattr_setsigdefault(&m_Attributes, &defaults);
    ::posix_spawnattr_setflags(&m_Attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF);
  }
  ~CSpawnAttributes() { ::posix_spawnattr_destroy(&m_Attributes); }
  CSpawnAttributes(const CSpawnAttributes&) = delete;
  CSpawnAttributes& operator=(const CSpawnAttributes&) = delete;
  const posix_spawnattr_t* Get() const { return &m_Attributes; }

 private:
  posix_spawnattr_t m_Attributes;
};

// Collects the program's end, so that it does not stay a zombie until the driver ends.
void CollectInBackground(pid_t child) {
  try {
    std::thread([child] {
      int status = 0;
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error& error) {
    DebugLog("[ZEDO] started program [%d] not collected: [%s]", static_cast<int>(child), error.what());
  }
}

}  // namespace

bool StartProgramDetached(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const CSpawnAttributes attributes;
  pid_t child = -1;
  const int failed = ::posix_spawnp(&child, program.c_str(), nullptr, attributes.Get(), argv.data(), environ);
  if (failed != 0) return false;
  CollectInBackground(child);
  return true;
}

}  // namespace platform

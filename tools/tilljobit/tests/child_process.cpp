#include "tools/tilljobit/tests/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testsupport/temp_folder.h"

extern char** environ;

namespace tools::testing {

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& folder) {
  testsupport::TempFolder output;
  std::string outPath = output / "out", errPath = output / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ChildResult result;
  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    ADD_FAILURE() << "cannot start " << program;
    return result;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.m_ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.m_Out = testsupport::ReadFile(outPath);
  result.m_Err = testsupport::ReadFile(errPath);
  return result;
}

}  // namespace tools::testing

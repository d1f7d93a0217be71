// A second process for the named-mutex tests: it takes a mutex shared across processes by name.
//   named_mutex_helper hold NAME         take it, print "held", release after a line on stdin, print
//                                        "released"; end of input ends the process still owning it
//   named_mutex_helper count NAME FILE N print "ready", wait for a line on stdin, then take it N times,
//                                        each time appending "B+" and "B-" lines to FILE around a few
//                                        more writes while owning it

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/named_mutex.h"

namespace {

void AppendLine(const char* path, const char* text) {
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) std::exit(3);
  std::fprintf(file, "%s\n", text);
  std::fclose(file);
}

int Hold(const std::string& name) {
  auto created = platform::NamedMutex::Create(name, false, platform::MutexSharing::AcrossProcesses);
  std::uint32_t result = created.m_Mutex->Wait();
  std::printf("held %u\n", result);
  std::fflush(stdout);
  char line[64];
  if (std::fgets(line, sizeof line, stdin) == nullptr) _exit(0);  // ends owning it
  bool released = created.m_Mutex->Release();
  std::printf("released %d\n", released ? 1 : 0);
  std::fflush(stdout);
  return 0;
}

int Count(const std::string& name, const char* path, int rounds) {
  auto created = platform::NamedMutex::Create(name, false, platform::MutexSharing::AcrossProcesses);
  // Both processes start their rounds together, so that they really compete.
  std::printf("ready\n");
  std::fflush(stdout);
  char line[64];
  if (std::fgets(line, sizeof line, stdin) == nullptr) return 6;
  for (int i = 0; i < rounds; ++i) {
    if (created.m_Mutex->Wait() != platform::kWaitObject0) return 4;
    AppendLine(path, "B+");
    for (int k = 0; k < 10; ++k) AppendLine(path, "B.");
    AppendLine(path, "B-");
    if (!created.m_Mutex->Release()) return 5;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
  if (argc >= 5 && std::strcmp(argv[1], "count") == 0) return Count(argv[2], argv[3], std::atoi(argv[4]));
  return 2;
}

#pragma once
// Folder operations for the recovery tests: each fails the test when the system refuses it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace monitor::test {

inline void MakeDir(const std::string& path) { ASSERT_EQ(0, ::mkdir(path.c_str(), 0755)) << path; }
inline void RemoveDir(const std::string& path) { ASSERT_EQ(0, ::rmdir(path.c_str())) << path; }
inline void Rename(const std::string& from, const std::string& to) {
  ASSERT_EQ(0, std::rename(from.c_str(), to.c_str())) << from << " -> " << to;
}

}  // namespace monitor::test

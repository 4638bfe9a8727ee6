// Runs the C host program against the reader simulator's TCP port.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "reader_sim.h"

extern char** environ;

namespace {

TEST(CHost, LoadsTheLibraryAndOpensATcpSession) {
  readersim::ReaderSim sim;
  const std::string port = std::to_string(sim.StartTcp());
  const char* argv[] = {HOST_DLOPEN_PROGRAM, TRKDRV32_LIBRARY, port.c_str(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, HOST_DLOPEN_PROGRAM, nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace

// The example host program, built against the public header and library only,
// writes and reads a card on the simulator.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "driver_harness.h"

namespace {

TEST(ExampleHost, WritesAndReadsACard) {
  readersim::ReaderSim sim;
  readersim::DriverLines lines(sim);
  const uint16_t port = sim.StartTcp();
  ASSERT_NE(port, 0);

  const std::string command = std::string(EXAMPLE_HOST_PATH) + " 127.0.0.1 " + std::to_string(port);
  FILE* host = popen(command.c_str(), "r");
  ASSERT_NE(host, nullptr);
  std::string output;
  char chunk[256];
  while (fgets(chunk, sizeof chunk, host) != nullptr) output += chunk;
  const int status = pclose(host);

  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << output;
  EXPECT_NE(output.find("Encoder Driver V2.0"), std::string::npos) << output;
  EXPECT_NE(output.find("track 1: EXAMPLE HOST^CARD"), std::string::npos) << output;
  EXPECT_NE(output.find("track 2: 1234567890=42"), std::string::npos) << output;
}

}  // namespace

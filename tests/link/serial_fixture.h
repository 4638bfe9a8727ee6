// A serial link to the simulated reader over a pseudo-terminal, mapped to
// COM5, with the recording callback registered.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "link.h"
#include "platform/tick.h"
#include "reader_sim.h"
#include "reply_recorder.h"

constexpr int kSimPort = 5;
constexpr const char* kReceiveThreadName = "serial-rx";

class SerialLink : public ::testing::Test {
 protected:
  void SetUp() override {
    slave_ = sim_.StartPty();
    ASSERT_FALSE(slave_.empty());
    setenv("COM5_DEVICE", slave_.c_str(), 1);
    FramingMode.store(0);
    recorder::Install();
    ASSERT_TRUE(OpenSerialPort(kSimPort, 9600));
  }

  void TearDown() override {
    CloseSerialPort();
    SetReceiveCallback(nullptr);
    SetEscapeHook(nullptr);
    platform::SetTickSource(nullptr);
    sim_.Stop();
  }

  int send(int code, const std::string& data = "") {
    return SendCommand(code, reinterpret_cast<const uint8_t*>(data.data()), static_cast<int>(data.size()));
  }

  readersim::ReaderSim sim_;
  std::string slave_;
};

// Milliseconds since `start` by the real clock.
inline long long msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// A tick source that runs twenty times faster than real time, so that long
// bounds pass quickly.
inline uint32_t fastTicks() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() * 20);
}

// What the Ethernet library's tests share: the message boxes it showed, a
// tick source that races ahead, one receive call seen from outside, and a
// connection to a raw peer.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "ZUV_ETHERNET.h"
#include "raw_peer.h"

namespace linktest {

// Records every message box instead of showing it.
void RecordBoxes();
void StopRecordingBoxes();
std::vector<std::string> ShownBoxes();

// Each reading of this tick source is 5000 ms after the one before.
void RaceTicks();
uint32_t TicksRead();  // the count of milliseconds the racing source gave out
void RestoreTicks();

// One reply line as EthernetReceive hands it over, or its result when not 1.
struct Received {
  int32_t result;
  std::string line;
};
Received Receive();

int32_t Send(const std::string& text);

// The library connected to a RawPeer, recording its boxes; all undone after
// each test.
class ConnectedToRawPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordBoxes();
    ASSERT_EQ(Connect_Ethernet("127.0.0.1", peer_.Port()), 1);
    ASSERT_TRUE(peer_.Accept());
  }
  void TearDown() override {
    peer_.StopStream();
    Closed_Ethernet();
    StopRecordingBoxes();
    RestoreTicks();
  }

  RawPeer peer_;
};

}  // namespace linktest

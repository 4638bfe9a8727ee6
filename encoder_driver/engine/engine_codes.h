// The protocol engine's own numbers: states of mrw_state_machine, its time-out
// event, the MessageCode values that send_msg builds lines for, and the
// pacing of the reply wait. Result codes and the WRITE_CARD / READ_CARD
// events are the public ones of TRKDRV32.h.
#pragma once
#include <cstdint>

constexpr int MRW_STATE_INIT = 1;   // link not initialised
constexpr int MRW_STATE_READY = 3;
constexpr int MRW_STATE_READ = 4;   // read reply awaited
constexpr int MRW_STATE_WRITE = 5;  // write reply awaited

constexpr int MRW_EV_TIMEOUT = 29;  // the reply deadline passed

enum MessageCode : int {
  MSG_READ_TRACK1_RAW = 21,
  MSG_READ_TRACK2_RAW = 22,
  MSG_INIT_LINK = 24,
  MSG_WRITE_TRACK3_RAW = 25,
  MSG_READ_TRACK3_RAW = 26,
  MSG_WRITE_TRACK2_RAW = 29,
  MSG_CARD_IN = 30,
  MSG_WRITE_TRACK1_RAW = 31,
  MSG_NO_OPERATION = 32,
  MSG_NORM_ISO = 33,
  MSG_ENTRY_FRONT = 34,
  MSG_WRITE_TRACK1_ISO = 35,
  MSG_WRITE_TRACK2_ISO = 36,
  MSG_READ_TRACK1_ISO = 37,
  MSG_READ_TRACK2_ISO = 38,
  MSG_CANCEL = 39,
  MSG_WRITE_TRACK3_ISO = 40,
  MSG_READ_TRACK3_ISO = 41,
};

// initNorm once "080B" went out and was waited for ('B'); -1 asks for it again.
constexpr int32_t kInitNormSent = 66;
constexpr int32_t kInitNormAgain = -1;

// One pass of the reply wait; every command costs at least one.
constexpr uint32_t kReplyPollMs = 500;
// The input flush pauses this long before each read ...
constexpr uint32_t kFlushPollMs = 100;
// ... and drops at most this many bytes per read.
constexpr int kFlushChunk = 149;
// Drain steps a coder call may take in all beyond the first step before each
// line: four reads drop the longest late reply an honest reader can leave (an
// ISO track-1 reply and the answer to "000", under 596 bytes), while a reader
// that never stops sending costs the call no more than 300 ms.
constexpr int32_t kCallDrainSteps = 3;
// Reply time-out of the link initialisation line.
constexpr uint32_t kInitLinkTimeoutMs = 2000;

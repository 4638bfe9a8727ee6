// The simulated reader's boot mode, added to a ReaderSim: "020" (boot jump)
// enters it and answers "000"; then binary frames carry the requests, the
// first payload byte saying which:
//   'W' + 4 address bytes (big-endian) + 2048 image bytes: a block of the
//       image. The payload must be 2053 bytes and the address the next in
//       sequence (0x08008000 starts a new image, each further block 0x800
//       higher); a good block is stored and answered 'A', any other 'E'.
//   'X' leaves boot mode: 'A'.
//   'V' the boot version: 'V' + kBootVersionText.
// Frames outside boot mode, and other requests, are answered 'E'. (Frames
// whose CRC-16 or check byte is wrong never get here: the simulator answers
// them itself.) Answers are binary reply frames on the pseudo-terminal and
// lines (the answer's bytes and LF) over TCP, where the console reads lines.
// Any thread may call any member; the handlers keep their state alive, so the
// simulator may outlive this object.
#pragma once
#include <memory>
#include <string>

#include "reader_sim.h"

namespace readersim {

constexpr const char* kBootVersionText = "SIM-BOOT 1.00";
constexpr unsigned kImageStartAddress = 0x08008000;
constexpr size_t kImageBlockSize = 2048;

class BootLoader {
 public:
  // Registers the boot jump line and the frame handler; starts outside boot mode.
  explicit BootLoader(ReaderSim& sim);

  bool InBootMode() const;
  // The blocks stored since the last block at the start address, in order.
  std::string Image() const;
  int BlocksStored() const;
  int BlocksRefused() const;  // 'W' frames of a wrong length or address
  int Starts() const;         // 'X' requests taken in boot mode

  // Whether good blocks and 'X' are answered at all (true at start). On the
  // pseudo-terminal a test may turn these answers off; over TCP the console
  // waits for each answer line.
  void SetAnswerWrites(bool answer);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace readersim

// The encoder driver's side of the simulated reader, added to a ReaderSim with
// SetHandler. The driver keeps the reader in bit norm and does the character
// coding itself, so the card's tracks are kept here as the bit text that the
// write lines carry (in the simulator's Card) and read lines answer it back:
//   "080B"                           bit norm: "000"
//   "181" "182" "202" "221" "222" "223"  read: "00" + track + stored bits
//   "191" "192" "193" "211" "212" "233"  write: store the bits after the
//                                    prefix, "00" + track
//   "000" "010" "120"                no operation, cancel, card in: "000"
// Replies end with CR LF. Faults can be asked for per line (its first three
// characters): a status, a wrong echo, silence, another reply ending.
// Any thread may call any member; the handlers keep their state alive on their
// own, so the simulator may outlive this object (not the other way round).
#pragma once
#include <memory>
#include <string>

#include "reader_sim.h"

namespace readersim {

// How a reply ends: CR LF; ETX and one check byte; a lone EOT, ACK or NAK.
enum class ReplyEnding { CrLf, EtxCheck, Eot, Ack, Nak };

struct DriverLineFault {
  static constexpr int kEveryTime = -1;
  int status = 0;                         // non-zero: this status, no payload, nothing stored
  char echo = '\0';                       // non-zero: this echo instead of the line's own
  bool silent = false;                    // answer nothing
  ReplyEnding ending = ReplyEnding::CrLf;
  int times = kEveryTime;                 // how many replies it applies to
};

class DriverLines {
 public:
  // Registers the lines with `sim`; the tracks start empty.
  explicit DriverLines(ReaderSim& sim);

  // Applies `fault` to lines starting with `line` (three characters, e.g.
  // "223" or "080"); replaces an earlier fault of that line.
  void SetFault(const std::string& line, const DriverLineFault& fault);
  void ClearFaults();

  // The bit text stored for track 1-3, as a write line carried it.
  std::string StoredBits(int track) const;
  void StoreBits(int track, const std::string& bits);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace readersim

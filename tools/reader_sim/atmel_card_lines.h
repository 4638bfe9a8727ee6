// The ATMEL serial-EEPROM memory cards of the simulated reader, added to a
// ReaderSim with SetHandler. One card of each of the eleven sizes sits in the
// reader; the type character of a power-on line chooses which one is used:
//   "60" + type   powers that card on ('0'-'9', 'A': 128 .. 131,072 bytes);
//                 another character: status 50 (card not supported)
//   "610" [type]  powers it off
//   "620" + address (5 hex digits) + count (3 hex digits)
//                 answers the count's bytes as upper-case hex
//   "630" / "640" + address + count + 2 * count hex digits
//                 writes them; "640" reads them back and answers 51 when the
//                 card does not hold them
// A read or write with no card powered, a count of 0 or above 0x400, a range
// past the card's end, or data that does not match its count: status 51.
// Every card starts with all bytes 0xFF. Replies end CR LF, as the reader's do.
//
// Any thread may call any member. The handlers keep what they need alive, so
// the simulator may outlive this object.
#pragma once
#include <memory>
#include <string>

#include "reader_sim.h"

namespace readersim {

class AtmelCardLines {
 public:
  static constexpr int kEveryTime = -1;

  explicit AtmelCardLines(ReaderSim& sim);

  // Bytes of the card named by `typeChar`, 0 for a character naming none.
  static int CardBytes(char typeChar);
  // The type character of the powered card, 0 while none is powered.
  char PoweredType() const;

  // `count` bytes of the card `typeChar` from `address` (cut at its end).
  std::string Memory(char typeChar, int address, int count) const;
  void SetMemory(char typeChar, int address, const std::string& bytes);
  // Writes to first .. last of the card `typeChar` change nothing from now
  // on, as on a write-protected area (a "640" write there is answered 51).
  void Protect(char typeChar, int first, int last);

  // The next `times` power-on, read and write lines are answered with
  // `status` and change nothing; kEveryTime keeps the fault until cleared.
  void FailWith(int status, int times = kEveryTime);
  void ClearFaults();

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace readersim

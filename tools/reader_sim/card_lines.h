// The magnetic-stripe side of the simulated reader, added to a ReaderSim with
// SetHandler: reads and writes of tracks 1-3 and of the TimeLox form of
// track 3 in ISO and BIT norm, the bit memory of the last read, and the track
// settings lines (sentinels, parity, repeat count, norm, wait time,
// coercivity, version).
//
// The simulator's Card then keeps each track as the bits on its stripe (its
// track texts are bit text from here on, its bit memory 800 bits). An ISO
// write codes the characters (track 1: six data bits and odd parity, base
// 0x20; tracks 2 and 3: four data bits and odd parity, base 0x30; TimeLox, on
// the track-3 stripe: the same five-bit cells carrying hex digits 0-F) between
// start and end sentinel with an LRC cell after them; a BIT write stores the
// bit text as given. An ISO read decodes the
// stripe and answers the reader's errors for what it finds (status 25 blank,
// 32 no start sentinel, 20 parity, 24 no end sentinel, 17 LRC); a BIT read
// answers the stored bits. Every read leaves the stripe's first 800 bits in
// the bit memory, answered by "300".."340".
//
// Any thread may call any member. The handlers keep what they need alive, so
// the simulator may outlive this object; this object must not outlive the
// simulator, whose card it uses.
#pragma once
#include <memory>
#include <string>

#include "reader_sim.h"

namespace readersim {

constexpr int kBitMemoryBits = 800;

struct TrackSettings {
  char startSentinel[3] = {'%', ';', ';'};
  char endSentinel[3] = {'?', '?', '?'};
  char parityBit[3] = {'1', '1', '1'};
  char repeatCount = '1';
  std::string waitTime = "00";
  char coercivity = 'H';  // 'L' after "130", 'H' after "140"
};

class CardLines {
 public:
  static constexpr int kEveryTime = -1;

  // Registers the lines with `sim` (replacing its own track, norm and version
  // lines) and encodes a default card in ISO: three tracks with text.
  explicit CardLines(ReaderSim& sim);

  // Writes `text` to the track of `trackChar` ('1'-'3', '4' TimeLox) as a
  // write line would in the current norm; returns the reply status (0 done).
  int WriteTrack(char trackChar, const std::string& text);
  // Reads like a read line (also filling the bit memory); returns the status
  // and, for 0, the text that the reply carries.
  int ReadTrack(char trackChar, std::string* text);
  // The bits on the stripe of track 1-3 (TimeLox is track 3).
  std::string Stripe(int track) const;

  // The next `times` reads and writes naming `trackChar` are answered with
  // `status` and change nothing; kEveryTime keeps the fault until cleared.
  void FailTrack(char trackChar, int status, int times = kEveryTime);
  void ClearTrackFaults();

  char Norm() const;
  TrackSettings Settings() const;
  std::string BitMemory() const;  // always kBitMemoryBits characters
  std::string VersionText() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace readersim

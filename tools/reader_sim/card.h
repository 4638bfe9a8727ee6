// The card in the simulated reader: the text of its three tracks, the norm the
// reader works in ('I' ISO characters, 'B' bit text) and the bit memory of the
// last read. Any thread may call any member; each call is atomic on its own.
#pragma once
#include <mutex>
#include <string>

namespace readersim {

class Card {
 public:
  // Tracks are numbered 1-3; other numbers read as "" and are not stored.
  std::string Track(int track) const;
  void SetTrack(int track, const std::string& text);

  char Norm() const;
  void SetNorm(char norm);

  std::string BitMemory() const;
  void SetBitMemory(const std::string& bits);

  // Empty tracks and bit memory, ISO norm.
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::string tracks_[3];
  char norm_ = 'I';
  std::string bitMemory_;
};

// The track number of a track character: '1'-'3', and '4' (the TimeLox form
// of track 3) is track 3; 0 for any other character.
int TrackNumberOf(char trackChar);

}  // namespace readersim

#include "card.h"

namespace readersim {
namespace {
bool validTrack(int track) { return track >= 1 && track <= 3; }
}  // namespace

std::string Card::Track(int track) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return validTrack(track) ? tracks_[track - 1] : std::string();
}

void Card::SetTrack(int track, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (validTrack(track)) tracks_[track - 1] = text;
}

char Card::Norm() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return norm_;
}

void Card::SetNorm(char norm) {
  std::lock_guard<std::mutex> lock(mutex_);
  norm_ = norm;
}

std::string Card::BitMemory() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bitMemory_;
}

void Card::SetBitMemory(const std::string& bits) {
  std::lock_guard<std::mutex> lock(mutex_);
  bitMemory_ = bits;
}

void Card::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::string& track : tracks_) track.clear();
  norm_ = 'I';
  bitMemory_.clear();
}

int TrackNumberOf(char trackChar) {
  if (trackChar >= '1' && trackChar <= '3') return trackChar - '0';
  return trackChar == '4' ? 3 : 0;
}

}  // namespace readersim

#include "driver_harness.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "iso_track_coding.h"
#include "platform/tick.h"
#include "pseudo_terminal.h"

namespace {

constexpr int kComNumber = 1;  // serial sessions open port 0, COM1

char* areaOf(CoderRecord& record, int track) {
  return track == 1 ? record.track1 : track == 2 ? record.track2 : record.track3;
}

const char* areaOf(const CoderRecord& record, int track) {
  return track == 1 ? record.track1 : track == 2 ? record.track2 : record.track3;
}

std::atomic<uint32_t> tickFactor{1};

uint32_t fastTicks() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
  return static_cast<uint32_t>(elapsed) * tickFactor.load();
}

}  // namespace

std::string LinkName(Link link) { return link == Link::Pty ? "Pty" : "Tcp"; }

DriverHarness::DriverHarness(Link link) : link_(link) {
  if (link == Link::Pty) {
    ptyPath_ = sim.StartPty();
    if (ptyPath_.empty()) throw std::runtime_error("no pseudo-terminal");
    MapComPort(kComNumber, ptyPath_);
  } else {
    tcpPort_ = sim.StartTcp();
    if (tcpPort_ == 0) throw std::runtime_error("no loopback port");
  }
}

DriverHarness::~DriverHarness() {
  if (handle_ != 0) MagClose(handle_);
}

int32_t DriverHarness::Open(int timeoutSeconds) {
  handle_ = link_ == Link::Pty ? MagOpen(kComNumber - 1, 9600, 'N', 8, 1, 0, timeoutSeconds)
                               : MagTcpIpOpen("127.0.0.1", tcpPort_, 0, timeoutSeconds);
  return handle_;
}

std::vector<std::string> DriverHarness::Lines() const { return LinesAfter(0); }

std::vector<std::string> DriverHarness::LinesOnceReceived(size_t count) const {
  sim.WaitForRequests(count, 5000);
  return Lines();
}

std::vector<std::string> DriverHarness::LinesAfter(size_t skip) const {
  std::vector<std::string> lines;
  const std::vector<readersim::Request> requests = sim.Requests();
  for (size_t i = skip; i < requests.size(); ++i) lines.push_back(requests[i].line);
  return lines;
}

std::string DriverHarness::IsoBits(int track, const std::string& text) {
  const int length = static_cast<int>(text.size());
  std::string bits(static_cast<size_t>(7 * (length + 3)), '\0');
  const int n = track == 1 ? EncodeTrack1(&bits[0], text.data(), length)
                           : EncodeTrack23(&bits[0], text.data(), length);
  bits.resize(static_cast<size_t>(n));
  return bits;
}

void DriverHarness::LayIsoTrack(int track, const std::string& text) {
  lines.StoreBits(track, IsoBits(track, text));
}

CoderRecord EmptyRecord() {
  CoderRecord record;
  std::memset(&record, 0, sizeof record);
  record.size = CODER_RECORD_SIZE;
  return record;
}

void SetTrackText(CoderRecord& record, int track, const std::string& text) {
  char* area = areaOf(record, track);
  std::memset(area, 0, 128);
  std::memcpy(area, text.data(), std::min<size_t>(text.size(), 128));
  SetTrackLength(record, track, static_cast<uint8_t>(text.size()));
}

std::string TrackText(const CoderRecord& record, int track) {
  return std::string(areaOf(record, track), TrackLengthOf(record, track));
}

uint8_t TrackLengthOf(const CoderRecord& record, int track) {
  return track == 1 ? record.len1 : track == 2 ? record.len2 : record.len3;
}

void SetTrackLength(CoderRecord& record, int track, uint8_t length) {
  (track == 1 ? record.len1 : track == 2 ? record.len2 : record.len3) = length;
}

void SpeedUpTicks(uint32_t factor) {
  tickFactor.store(factor);
  platform::SetTickSource(fastTicks);
}

void SpeedUpTime(uint32_t factor) {
  SpeedUpTicks(factor);
  platform::SetSleepFunction([](uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(1000ull * ms / tickFactor.load()));
  });
}

void RestoreTicks() {
  platform::SetTickSource(nullptr);
  platform::SetSleepFunction(nullptr);
}

Babbler::Babbler(readersim::ReaderSim& sim, const std::string& chunk)
    : thread_([this, &sim, chunk] {
        while (babbling_) {
          sim.SendRaw(chunk);
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      }) {}

Babbler::~Babbler() {
  babbling_ = false;
  thread_.join();
}

// End-to-end harness for the driver's coder calls: a reader simulator with
// the driver's lines, reached over a pseudo-terminal (a serial session on
// COM1) or loopback TCP (a TCP/IP session), and helpers for CoderRecords.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "TRKDRV32.h"
#include "driver_lines.h"
#include "reader_sim.h"

enum class Link { Pty, Tcp };

std::string LinkName(Link link);

class DriverHarness {
 public:
  explicit DriverHarness(Link link);
  ~DriverHarness();  // closes the session when one is open

  // Opens a session with this reply time-out in seconds; 0 when it fails.
  int32_t Open(int timeoutSeconds = 10);
  int32_t Handle() const { return handle_; }

  // The lines the reader has received, in order.
  std::vector<std::string> Lines() const;
  // The lines once at least `count` have been received (or 5 s passed): for
  // lines that the driver sends without awaiting their reply ("000", "010").
  std::vector<std::string> LinesOnceReceived(size_t count) const;
  // The lines after the first `skip`.
  std::vector<std::string> LinesAfter(size_t skip) const;

  // The bit text of an ISO track as the reader stores it.
  static std::string IsoBits(int track, const std::string& text);
  // Lays ISO text on a track of the simulated card.
  void LayIsoTrack(int track, const std::string& text);

  readersim::ReaderSim sim;
  readersim::DriverLines lines{sim};

 private:
  Link link_;
  std::string ptyPath_;
  uint16_t tcpPort_ = 0;
  int32_t handle_ = 0;
};

// A reader that sends 100 bytes of noise (or `chunk`) every 10 ms, faster
// than the driver's input flush drops them (149 per 100 ms), until destroyed.
class Babbler {
 public:
  explicit Babbler(readersim::ReaderSim& sim, const std::string& chunk = std::string(100, 'x'));
  ~Babbler();
  Babbler(const Babbler&) = delete;
  Babbler& operator=(const Babbler&) = delete;

 private:
  std::atomic<bool> babbling_{true};
  std::thread thread_;
};

CoderRecord EmptyRecord();
void SetTrackText(CoderRecord& record, int track, const std::string& text);
std::string TrackText(const CoderRecord& record, int track);
uint8_t TrackLengthOf(const CoderRecord& record, int track);
void SetTrackLength(CoderRecord& record, int track, uint8_t length);

// The two halves of a coder call's packed result.
inline int ResultCode(int32_t packed) { return packed & 0xFFFF; }
inline int LastResultOf(int32_t packed) { return static_cast<uint32_t>(packed) >> 16; }
// One track's byte of the lastError word.
inline int TrackErrorByte(int32_t lastError, int track) {
  return (static_cast<uint32_t>(lastError) >> (8 * track)) & 0xFF;
}

// A tick source that runs `factor` times faster than real time, for the
// reply time-outs (SpeedUpTime: the driver's sleeps too); RestoreTicks
// returns to the real clock and sleeps.
void SpeedUpTicks(uint32_t factor);
void SpeedUpTime(uint32_t factor);
void RestoreTicks();

// Not a test: times MagCoder reading three tracks against the simulator on
// loopback TCP, beside the floor that the reply pacing sets (each exchange
// waits for the 100 ms input flush and one 500 ms pass) and the CPU time that
// the calling thread used. Usage: bench_magcoder [calls].
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "driver_harness.h"
#include "raw_bits.h"

namespace {

constexpr double kExchangeFloorMs = 100 + 500;

double cpuMs(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::atoi(argv[1]) : 3;
  DriverHarness h(Link::Tcp);
  h.LayIsoTrack(1, "BENCHMARK^TRACK ONE");
  h.LayIsoTrack(2, "1234567890123456=7890");
  h.lines.StoreBits(3, RawTrackLine(SampleRawBytes()));
  if (h.Open() == 0) {
    std::fprintf(stderr, "cannot open a session\n");
    return 1;
  }

  std::printf("%-6s %10s %10s %14s %14s\n", "call", "wall ms", "floor ms", "thread cpu ms",
              "process cpu ms");
  for (int call = 1; call <= calls; ++call) {
    const size_t linesBefore = h.Lines().size();
    CoderRecord record = EmptyRecord();
    record.len1 = record.len2 = record.len3 = 1;
    const double threadCpu = cpuMs(RUSAGE_THREAD);
    const double processCpu = cpuMs(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = MagCoder(h.Handle(), READ_CARD, &record);
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const size_t exchanges = h.Lines().size() - linesBefore;
    if (result != 0) {
      std::fprintf(stderr, "call %d: result 0x%x\n", call, static_cast<unsigned>(result));
      return 1;
    }
    std::printf("%-6d %10.1f %10.1f %14.2f %14.2f\n", call, wallMs, exchanges * kExchangeFloorMs,
                cpuMs(RUSAGE_THREAD) - threadCpu, cpuMs(RUSAGE_SELF) - processCpu);
  }
  return 0;
}

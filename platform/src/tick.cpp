#include "platform/tick.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

uint32_t monotonicTick() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::atomic<TickSource> currentSource{nullptr};
std::atomic<SleepFunction> currentSleep{nullptr};
std::atomic<PacingSleepFunction> currentPacingSleep{nullptr};

}  // namespace

uint32_t TickCount() {
  TickSource source = currentSource.load(std::memory_order_acquire);
  return source ? source() : monotonicTick();
}

void SetTickSource(TickSource source) { currentSource.store(source, std::memory_order_release); }

uint32_t TicksLeft(uint32_t start, uint32_t boundMs) {
  uint32_t elapsed = TickCount() - start;
  return elapsed >= boundMs ? 0 : boundMs - elapsed;
}

void SleepMs(uint32_t ms) {
  if (SleepFunction sleep = currentSleep.load(std::memory_order_acquire)) return sleep(ms);
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetSleepFunction(SleepFunction sleep) { currentSleep.store(sleep, std::memory_order_release); }

void SetPacingSleep(PacingSleepFunction sleep) { currentPacingSleep.store(sleep, std::memory_order_release); }

void PacingSleep(uint32_t ms) {
  PacingSleepFunction sleep = currentPacingSleep.load(std::memory_order_acquire);
  (sleep ? sleep : SleepMs)(ms);
}

}  // namespace platform

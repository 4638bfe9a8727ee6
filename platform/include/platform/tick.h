// Millisecond tick count that wraps at 2^32 like the reader software has always
// assumed, and the sleeps that go with it. Any thread may call these.
#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps at 2^32. Compare ticks with
// unsigned subtraction: (now - then) >= bound.
uint32_t TickCount();

// Tests replace the clock to cover long bounds (5 s, 90 s) quickly. nullptr
// restores the monotonic clock. Waits that use TickDeadline re-read the clock
// at least every kWaitSliceMs, so a faster replacement clock shortens them.
using TickSource = uint32_t (*)();
void SetTickSource(TickSource source);

// Upper bound of one kernel wait inside a ticked wait (see above).
constexpr int kWaitSliceMs = 50;

// Milliseconds left before `start + boundMs`, 0 once the bound has passed.
uint32_t TicksLeft(uint32_t start, uint32_t boundMs);

// Blocks the calling thread for at least `ms` milliseconds of real time, or
// runs the replacement a test installed.
void SleepMs(uint32_t ms);

// Tests replace every SleepMs (the driver's 500 ms reply-wait passes among
// them) so that many waits cost no real time; the replacement runs on the
// sleeping thread. nullptr restores real sleeping.
using SleepFunction = void (*)(uint32_t ms);
void SetSleepFunction(SleepFunction sleep);

// The pauses that pace a long sequence (the firmware download's 500 ms steps)
// sleep through PacingSleep, so that tests can run such a sequence without
// waiting for its pauses. By default it is SleepMs; SetPacingSleep installs
// another function (any thread may call it, from any thread), nullptr
// restores SleepMs. Only pauses whose length is a matter of pacing go here,
// never waits for a device.
using PacingSleepFunction = void (*)(uint32_t ms);
void SetPacingSleep(PacingSleepFunction sleep);
void PacingSleep(uint32_t ms);

}  // namespace platform

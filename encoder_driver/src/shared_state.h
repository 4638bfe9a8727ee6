// The state that every process loading the driver shares: AttachCount and one
// in-use mark per serial port 0-19, in POSIX shared memory named after
// "DLLTRKDR" ("/DLLTRKDR"; the environment variable TRKDRV32_SHARED_NAME names
// another segment, so that test runs do not share marks with each other). A
// process-shared robust mutex in the segment guards the marks: a process that
// dies holding it does not wedge the others.
//
// The segment is mapped at its first use, not at load time, so that a host (or
// a test) may still choose its name after loading the library.
//
// Each mark also stores the holder's process id. A mark whose holder no longer
// exists counts as free, so a process that died holding a port does not lock
// that port forever.
#pragma once
#include <cstdint>

constexpr int kSharedPortCount = 20;

enum class PortMark {
  Taken,       // the mark was free and is now ours
  HeldByOther, // a live session (of this or another process) holds the port
  Unguarded,   // no shared state could be had: neither tested nor marked
};

// Test-and-set of the port's mark under the shared mutex. port: 0-19.
PortMark TakePortMark(int port);
// Clears the port's mark when this process holds it.
void ClearPortMark(int port);
// Process id that holds the port's mark (also a dead one), 0 when unmarked or
// when there is no shared state.
int32_t PortMarkHolder(int port);

// Process attach and detach: AttachCount up (once the segment is mapped) and
// down.
void AttachProcess();
void DetachProcess();
// AttachCount, -1 when there is no shared state.
int32_t AttachCount();

// Holds the shared mutex for its lifetime (a holder that died is recovered
// from). locked() is false when there is no shared state or the mutex is
// beyond recovery.
class SharedStateLock {
 public:
  SharedStateLock();
  ~SharedStateLock();
  SharedStateLock(const SharedStateLock&) = delete;
  SharedStateLock& operator=(const SharedStateLock&) = delete;
  bool locked() const { return locked_; }

 private:
  bool locked_;
};

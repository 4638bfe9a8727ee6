// Sessions of the encoder driver: the per-session record, the process-wide
// SessionTable (30 sessions) and AbortFlags (one per port index 0-20).
//
// A session handle is a positive opaque value found through SessionTable; once
// a session is closed its handle is unknown to every call. Lookups lock the
// table, so MagAbort may run on any thread. The records themselves belong to
// the host's thread: only the call that works on a session touches its fields.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

constexpr int kSessionLimit = 30;
constexpr int kAbortFlagCount = 21;
constexpr int kLineBufferSize = 1100;

// MagAbort sets an entry (the session's portIndex); the protocol engine's waits
// and the serial layer read it; the coder calls clear it. Any thread.
using AbortFlag = std::atomic<int32_t>;
extern AbortFlag AbortFlags[kAbortFlagCount];

// A serial port object of the serial layer (serial_port.h); 0 is none.
using SioHandle = int32_t;

// One session. Zero when allocated; the open calls set what the table of
// fields says they set.
struct SessionRecord {
  int32_t mrw_state;            // protocol state 1-5, 0 before the first coder call
  int32_t initNorm;             // 66 once the link initialisation went out; -1 asks again
  char sendBuf[kLineBufferSize];
  char recvBuf[kLineBufferSize];
  char* replyStart;             // into recvBuf
  char* cmdLine;                // into sendBuf
  char* normLine;               // into sendBuf
  char* writeLine;              // into sendBuf
  uint32_t deadline;            // tick count by which the awaited reply must be whole
  int32_t lastResult;           // high 16 bits of the coder calls' result
  SioHandle port;               // serial sessions only
  int32_t portIndex;            // serial port 0-19; 0 for TCP/IP and USB
  int32_t timeoutMs;            // reply time-out
  int32_t settings;             // serial settings word
  int32_t flow;                 // serial flow type 0-3
  int32_t aborted;              // a wait of this session saw its abort flag
  uint32_t lastError;           // bits 0-7 general, 8-15/16-23/24-31 tracks 1/2/3
  int32_t nonHalvikTrack3;      // coding flags: non-zero ISO 7811 characters, 0 raw bits
  int32_t nonHalvikTrack2;
  int32_t nonHalvikTrack1;
  int32_t isTcp;
  int32_t tcpPort;
  int32_t sock;                 // TCP/IP sessions: -1 until connected and after close
  int32_t isUsb;
  int32_t firstRead;            // 1 until the first combined read

  // Ours, for the running coder call: the input-drain steps it has left
  // beyond the first step before each line, and how many link
  // initialisations are running (its own, and one nested on status 28).
  int32_t drainStepsLeft;
  int32_t linkInitDepth;

  // Ours, kept under the table's lock (see ActiveCall).
  int32_t activeCalls;
  int32_t closePending;
};

bool IsSerialSession(const SessionRecord& session);

// A zeroed record, not yet in SessionTable; null when memory cannot be had.
std::unique_ptr<SessionRecord> NewSessionRecord();

bool SessionTableFull();

// Appends the record to SessionTable and takes it over: its new handle. With
// 30 sessions open it returns 0 and leaves the record with the caller.
int32_t AddSession(std::unique_ptr<SessionRecord>& record);

// FindSession: the record of an open session, null for an unknown handle.
// The pointer stays valid until the session is closed on this thread.
SessionRecord* FindSession(int32_t handle);

// Runs `use` while the table is locked, so that no other thread can close the
// session meanwhile. False (and `use` not run) for an unknown handle.
bool UseSession(int32_t handle, const std::function<void(SessionRecord&)>& use);

// Closes a session: 0, or MRW_NOSESSION for an unknown handle. The handle is
// unknown from then on. When a coder call is running on the session (the
// close came from a handler that its waits ran, or from another thread), the
// session's abort flag is raised and its link is released and its record freed
// when that call ends.
int32_t CloseSession(int32_t handle);

// What MagAbort does to a session: its AbortFlags entry set, and a serial
// session's port told to stop sending and draining.
void RaiseAbort(SessionRecord& session);

// Releases what a session holds: its socket, the USB device, or its serial
// port and port mark (waiting first until the port's output has gone out).
void ReleaseSessionLink(SessionRecord& session);

// Marks a coder call running on a session for its lifetime (see CloseSession).
// The coder calls hold one while they work on the record.
class ActiveCall {
 public:
  explicit ActiveCall(int32_t handle);
  ~ActiveCall();
  ActiveCall(const ActiveCall&) = delete;
  ActiveCall& operator=(const ActiveCall&) = delete;

  // Null for an unknown handle.
  SessionRecord* session() const { return session_; }

 private:
  SessionRecord* session_;
};

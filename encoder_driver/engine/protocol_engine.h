// The protocol engine: one step of a coder call becomes one exchange of a
// command line and a reply with the reader, and one of the driver's result
// codes. Everything runs on the host's thread inside MagCoder; the waits sleep
// in 500 ms passes, run the host's message pump and watch the session's abort
// flag, which MagAbort may set from any thread.
#pragma once
#include <cstdint>

#include "TRKDRV32.h"
#include "engine_codes.h"
#include "session.h"

// Feeds `event` (a reply's status, WRITE_CARD, READ_CARD or MRW_EV_TIMEOUT) to
// the session's state machine for `track` (0 the link initialisation, 1-3 a
// track). Returns the result and stores it in lastResult, except when the link
// is found lost in the ready state: MRW_COMMERROR with lastResult 1.
int mrw_state_machine(SessionRecord* session, int event, CoderRecord* record, int track);

// Builds the line of `code` in sendBuf and sends it, after flushing the input.
// Nothing is sent for a code without a line, or when the link is lost. The
// record may be null for the codes that do not read it.
void send_msg(SessionRecord* session, MessageCode code, CoderRecord* record, int track);

// Waits for the reply to the line just sent and feeds it to the state machine.
// Replies whose echo is not `track` are dropped. Ends without an event on an
// abort (cancel line sent, aborted := 1), on a failed read (lastResult :=
// MRW_COMMERROR) and on a full buffer without a reply end (lastResult :=
// MRW_RECEIVEERROR).
void WaitReply(SessionRecord* session, CoderRecord* record, int track);

// Sends the link initialisation "080B" and waits for its reply, unless it went
// out already (initNorm 66); initNorm is 66 afterwards whatever the reply.
// lastResult := 0 first.
void InitLink(SessionRecord* session, CoderRecord* record);

// Sets the deadline and initialises the link where a track command needs it
// (tracks 1 and 3 always, track 2 when len1 is 0). Always 1.
int PrepareTrackCommand(SessionRecord* session, CoderRecord* record, int track);

// Runs the message pump; true when the session's wait was aborted or the
// deadline has passed.
bool CheckDeadline(SessionRecord* session, uint32_t deadline);

// Puts `code` into the track's byte of lastError (track 1-3; any other track
// the general byte 0-7).
void SetTrackError(SessionRecord* session, int code, int track);

// Which test step a reply belongs to. A counted test sends one track command
// per step and waits for its reply within a bound; a reader that answers after
// the bound sends that reply while a later step is waiting, or between steps.
// The reader answers its commands in order, each reply echoing the track the
// command named, so the gate remembers the steps whose reply is still owed and
// lets a reply end only the step it belongs to. Any thread may call these: the
// test opens and closes steps on the GUI thread, the reply handler asks on the
// receive thread (serial) or inside SendCommand (Ethernet).
#pragma once
#include <cstdint>

// A step's command is about to be sent under `commandId`; its reply echoes
// `trackChar`. From now on replies that come while `commandId` is pending are
// sorted by FitReply (late replies of earlier steps, whatever their command,
// among them).
void OpenStep(int commandId, char trackChar);

// The link the steps were sent on has been closed: no owed reply can come.
void ForgetOwedReplies();

// The step's wait has ended. When it ended without a reply and `lateBoundMs`
// is not 0, that reply is still owed: a reply that comes within `lateBoundMs`
// after this and fits it is taken as that late reply, not as a later step's.
// 0: no reply can come any more (the link went).
void CloseStep(uint32_t lateBoundMs);

enum class ReplyFit {
  NotGated,  // not a reply to a test step's command: handled as usual
  Step,      // belongs to the open step: handled, and the step is answered
  Stray,     // a late reply of an earlier step, or one with no step open: dropped
  Unnamed,   // its echo names no track ('1'-'4'): handled, but it answers no
             // step; the open step notes that such a reply came
};

// Sorts the reply that came while `commandId` was pending, by its echo
// character.
ReplyFit FitReply(int commandId, char echo);

// The reply handler has finished with the reply FitReply took for the step:
// its counters, flags and texts are in place.
void FinishStepReply();

// True once the reply taken for the open step has been handled.
bool StepAnswered();
// True when a reply naming no track came while the step was open.
bool StepSawUnnamedReply();
// How many replies were dropped as strays while the step was open.
int StepStrayCount();

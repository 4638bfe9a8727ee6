// Which command a reply answers, on every page and both links.
//
// The reader answers each command once, in the order the commands went out.
// Every command is noted as owed a reply when it counts as sent, with what its
// reply needs (CommandId, HexDumpFlag, TxBuffer[0]) taken from the handler
// that sent it. A reply answers the oldest command that went out before the
// reply began and was owed one then, whether a handler waits for it or not;
// the commands before that one have lost theirs. The echo (the reply's third
// character repeats the command's) tells owed commands apart where it
// differs; a binary reply frame, or a reply too short for an echo, answers any
// command but a track step's; a command naming no echo (a frame, a line
// without a third character) takes any reply. A reply no owed command takes
// is dropped unseen, but while a track step waits, one naming no track is
// shown for it and answers nothing.
//
// Each owed command carries one deadline: it is owed only to a reply that
// begins before it, and forgotten once no reply still being read can have
// begun before it. It has none (owed to any reply) while nothing later has
// gone out, or while a handler waits for it; a reply that began before
// anything later went out meets none either. Then:
//  - one a handler waits for: once the wait ends, kLateReplyGraceMs on (a
//    reply meanwhile is dropped unseen, and the next command goes out only
//    once the grace has passed); a link that went leaves no grace;
//  - one nobody waits for, on a serial link: once a later command has gone
//    out, its reply time after the reader can have begun on it, and not
//    before that later command went out. The reader can have begun on it
//    once its last byte went out at the port's speed and the last reply taken
//    for a command before it came; a command never answered restarts no one's
//    clock. The reply time is the longest wait the pages give it: 5000 ms for
//    No Operation, a frame, the IC commands and the ATMEL power commands,
//    2500 ms for the jump into the boot loader, kCardMoveReplyMs for one that
//    moves a card or waits for one, ReceiveTimeoutMs for any other (track and
//    ATMEL read and write commands are always waited for);
//  - over the network: while the link waits for its line; past the link's
//    bound, kLateReplyGraceMs on, as one whose wait ended; never past the
//    next send (the link drops what waits before it sends).
// A download's end forgets everything sent before it.
//
// While the reply handler handles a reply it took, it holds the turn; ending a
// wait waits for that, so the handler's writes (ReplyBuffer, ReplyStatus, the
// counts) are whole before the waiting handler reads them. Any thread may call
// these unless said otherwise.
#pragma once
#include <cstdint>
#include <functional>

#include "link/link.h"

constexpr uint32_t kLateReplyGraceMs = 1000;
// How long the pages wait for a reply: a track step (but on the TimeLox
// track), and as long an IC or ATMEL command, No Operation and a frame.
constexpr uint32_t kTrackReplyMs = 5000;
// A card moved, or put in by hand, may take as long as the network link
// waits for a line.
constexpr uint32_t kCardMoveReplyMs = NetworkReplyTimeoutMs;

// The next command that goes out is awaited: its reply must echo `echo`;
// `echoNamesTrack`: the echo is a track character ('1'-'4'). GUI thread,
// right before the send.
void AwaitNextCommand(char echo, bool echoNamesTrack);
// The awaited command of the last AwaitNextCommand, 0 when none went out.
uint32_t AwaitedCommand();

// What an awaited command's turn came to.
struct TurnOutcome {
  bool answered = false;     // its reply was taken and handled
  bool unnamedSeen = false;  // a reply naming no track came meanwhile
};

// The handler has stopped waiting for `command`'s reply. `replyMayStillCome`
// false: the link went, so no late reply is to be waited out.
TurnOutcome EndReplyTurn(uint32_t command, bool replyMayStillCome);
// True once `command`'s reply has been handled.
bool ReplyTurnAnswered(uint32_t command);

// Over the network, the line of the command just sent did not come within
// the link's bound: unless a handler waits for it (and ends that wait
// itself), its late reply is waited out like that of an ended wait.
void EndNetworkLineWait();

// How long the next command must still hold back for a late reply (0: it may
// go out).
uint32_t LateReplyGraceLeftMs();
// Waits until no command must hold back any more, or `linkGone` says so
// (asked before each slice of platform::kWaitSliceMs); `keepAlive` runs after
// each slice. GUI thread.
void WaitOutLateReply(const std::function<bool()>& linkGone,
                      const std::function<void()>& keepAlive);

// Nothing sent so far is owed a reply any more: the link was closed, or a
// download ended (whatever its frames were owed, the next command's reply is
// its own).
void ForgetOwedReplies();

// Installs the bookkeeping in the link layer: commands are noted as they
// count as sent, and every send first waits out the grace. Once, at start.
void InstallReplyTurns();

// What a reply needs of the command it answers.
struct AnsweredCommand {
  int commandId = 0;
  bool hexDump = false;
  char txTrack = 0;  // TxBuffer[0] when it went out
};

enum class ReplyFit {
  Taken,    // the reply of an owed command: handled as that command's
  Unnamed,  // names no track while the awaited command wants one: handled,
            // answers nothing
  Dropped,  // late, extra, or owed to nobody: dropped unseen
};

// The reply handler's hold on one reply: sorts it on construction (`stamp`:
// ReplyStamp(); `beganAt`: ReplyBeganAt(); `echo`: its third character, 0
// for a binary reply frame or a reply too short to carry one) and, unless it
// is dropped, holds the turn until destroyed.
class ReplyHandling {
 public:
  ReplyHandling(uint32_t stamp, uint32_t beganAt, char echo);
  ~ReplyHandling();
  ReplyHandling(const ReplyHandling&) = delete;
  ReplyHandling& operator=(const ReplyHandling&) = delete;

  ReplyFit fit() const { return fit_; }
  const AnsweredCommand& command() const { return command_; }

 private:
  ReplyFit fit_;
  uint32_t seq_ = 0;
  AnsweredCommand command_;
};

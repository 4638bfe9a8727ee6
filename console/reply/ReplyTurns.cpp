#include "reply/ReplyTurns.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "gui/GuiThread.h"
#include "link/link.h"
#include "platform/tick.h"
#include "reply/MainState.h"

namespace {

constexpr uint8_t kFrameStart = 0x60;

// The download's pause between the jump into the boot loader and its first
// frame.
constexpr uint32_t kBootJumpWaitMs = 2500;

// A command that went out and is owed one reply.
struct OwedCommand {
  uint32_t command = 0;  // its CommandsSent() count
  AnsweredCommand answers;
  char echo = 0;  // 0: it names none (a frame, or a line without a third character)
  bool awaited = false;
  bool echoNamesTrack = false;
  bool lineAwaitedByLink = false;  // sent over the network: the link waits for its line
  // Nobody waits for it (serial): when its last byte went out, how long the
  // reader may take, and when the next command went out.
  uint32_t goneOutAt = 0;
  uint32_t replyTimeMs = 0;
  bool followed = false;
  uint32_t followedAt = 0;
  bool inGrace = false;  // its wait ended: a late reply is dropped unseen
  uint32_t graceFrom = 0;
};

// The state of an awaited command's turn, until its handler ends the wait.
struct Turn {
  uint32_t command = 0;
  TurnOutcome outcome;
};

struct Turns {
  std::mutex lock;
  std::condition_variable idle;  // a reply's handling has ended
  std::deque<OwedCommand> owed;  // oldest first
  std::vector<Turn> turns;
  bool lastLineAnsweredNothing = false;  // a network line, for the link to read on
  bool awaitNext = false;
  char nextEcho = 0;
  bool nextNamesTrack = false;
  uint32_t awaitedCommand = 0;
  int holds = 0;  // replies being handled, all on `holder`
  std::thread::id holder;
};

Turns& turns() {
  static Turns* const instance = new Turns;  // the receive thread may use it up to the end
  return *instance;
}

bool namesTrack(char echo) { return echo >= '1' && echo <= '4'; }
bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// Tick order, across the wrap.
bool before(uint32_t tick, uint32_t other) { return static_cast<int32_t>(tick - other) < 0; }

// The longest wait the pages give the reply to a line (see the header).
uint32_t replyTimeMs(const uint8_t* bytes, int length) {
  if (length > 0 && bytes[0] == kFrameStart) return kTrackReplyMs;
  if (length < 2 || !isDigit(bytes[0]) || !isDigit(bytes[1])) return ReceiveTimeoutMs;
  const int code = (bytes[0] - '0') * 10 + (bytes[1] - '0');
  if (code == 12 || (code >= 15 && code <= 17) || code == 50 || code == 70 || code == 71) {
    return kCardMoveReplyMs;
  }
  if (code >= 18 && code <= 28) return length > 2 && bytes[2] == '4' ? kTimeLoxReplyMs : kTrackReplyMs;
  if (code == 0 || (code >= 51 && code <= 53) || (code >= 60 && code <= 64)) return kTrackReplyMs;
  return code == 2 ? kBootJumpWaitMs : ReceiveTimeoutMs;
}

// Whether `c` was owed a reply that began at `beganAt`, when `stamp` commands
// had gone out.
bool owedWhenBegan(const OwedCommand& c, uint32_t stamp, uint32_t beganAt) {
  if (c.inGrace) return before(beganAt, c.graceFrom + kLateReplyGraceMs);
  if (c.awaited || c.lineAwaitedByLink || stamp == c.command) return true;
  return before(beganAt, c.goneOutAt + c.replyTimeMs);
}

// Whether no reply that began at `tick` or later can be owed to `c`.
bool settledBy(const OwedCommand& c, uint32_t tick) {
  if (c.inGrace) return !before(tick, c.graceFrom + kLateReplyGraceMs);
  if (c.awaited || c.lineAwaitedByLink || !c.followed) return false;
  return !before(tick, c.followedAt) && !before(tick, c.goneOutAt + c.replyTimeMs);
}

Turn* findTurn(Turns& t, uint32_t command) {
  for (Turn& turn : t.turns) {
    if (turn.command == command) return &turn;
  }
  return nullptr;
}

// Waits until no other thread handles a reply. The handler never waits for
// the thread that waits here, so this ends as soon as that reply is handled.
void waitForOtherHandlers(Turns& t, std::unique_lock<std::mutex>& held) {
  const std::thread::id self = std::this_thread::get_id();
  t.idle.wait(held, [&] { return t.holds == 0 || t.holder == self; });
}

// Forgets the commands settled so long ago that no reply still being read
// can be theirs (a serial reply is whole WholeReplyTimeoutMs after its first
// byte, a network line is whole when it is handed over).
void forgetSettled(Turns& t) {
  const uint32_t tick = platform::TickCount() - WholeReplyTimeoutMs;
  t.owed.erase(std::remove_if(t.owed.begin(), t.owed.end(),
                              [tick](const OwedCommand& c) { return settledBy(c, tick); }),
               t.owed.end());
}

bool counted(uint32_t command, const uint8_t* bytes, int length, uint32_t goesOutInMs) {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  forgetSettled(t);
  const uint32_t now = platform::TickCount();
  const bool network = LinkMode.load() == LINK_ETHERNET;
  // The network link drops what waits in the connection before it sends: no
  // earlier command can be answered any more.
  if (network) t.owed.clear();
  const bool earlierOwed = !t.owed.empty();
  for (OwedCommand& c : t.owed) {
    if (!c.followed) c.followedAt = now;
    c.followed = true;
  }
  t.lastLineAnsweredNothing = false;

  OwedCommand c;
  c.command = command;
  c.answers.commandId = CommandId;
  c.answers.hexDump = HexDumpFlag.exchange(0) != 0;  // asks for this command's reply only
  c.answers.txTrack = TxBuffer[0];
  // A frame, or a line that ends before its third character, names no echo
  // its reply could repeat: order alone decides.
  const bool frame = length > 0 && bytes[0] == kFrameStart;
  const bool echoed = !frame && length >= 3 && bytes[2] != '\r' && bytes[2] != '\n';
  c.echo = echoed ? static_cast<char>(bytes[2]) : 0;
  c.lineAwaitedByLink = network;
  c.goneOutAt = now + goesOutInMs;
  c.replyTimeMs = replyTimeMs(bytes, length);
  if (t.awaitNext) {
    t.awaitNext = false;
    t.awaitedCommand = command;
    c.awaited = true;
    c.echo = t.nextEcho;
    c.echoNamesTrack = t.nextNamesTrack;
    t.turns.push_back({command, {}});
  }
  t.owed.push_back(c);
  return earlierOwed;
}

// Every send's hold: the window stays painted, and a closed link ends it.
void holdForLateReply() {
  WaitOutLateReply([] { return LinkMode.load() == LINK_CLOSED; }, ProcessNonInputEvents);
}

void startGrace(OwedCommand& c) {
  c.inGrace = true;
  c.graceFrom = platform::TickCount();
}

bool waitsForTrack(const OwedCommand& c) { return c.awaited && !c.inGrace && c.echoNamesTrack; }

enum class Match { Answers, Unnamed, Dropped };

// The owed command a reply answers, at `at` (see the header). A waiting
// track step is always owed.
Match match(const Turns& t, uint32_t stamp, uint32_t beganAt, char echo, size_t& at) {
  for (at = 0; at < t.owed.size() && stamp - t.owed[at].command < 0x80000000u; ++at) {
    if (!owedWhenBegan(t.owed[at], stamp, beganAt)) continue;
    const char wanted = t.owed[at].echo;
    if (wanted == 0 || wanted == echo || (echo == 0 && !waitsForTrack(t.owed[at]))) {
      return Match::Answers;
    }
  }
  for (at = 0; at < t.owed.size() && stamp - t.owed[at].command < 0x80000000u; ++at) {
    if (waitsForTrack(t.owed[at]) && !namesTrack(echo)) return Match::Unnamed;
  }
  return Match::Dropped;
}

// A network line was dropped: the command sent last still waits for its own.
bool lineAnsweredNothing() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  return std::exchange(t.lastLineAnsweredNothing, false);
}

}  // namespace

void AwaitNextCommand(char echo, bool echoNamesTrack) {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  t.awaitNext = true;
  t.nextEcho = echo;
  t.nextNamesTrack = echoNamesTrack;
  t.awaitedCommand = 0;
}

uint32_t AwaitedCommand() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  t.awaitNext = false;  // nothing went out to take it
  return t.awaitedCommand;
}

TurnOutcome EndReplyTurn(uint32_t command, bool replyMayStillCome) {
  Turns& t = turns();
  std::unique_lock<std::mutex> held(t.lock);
  waitForOtherHandlers(t, held);
  TurnOutcome outcome;
  if (Turn* turn = findTurn(t, command)) {
    outcome = turn->outcome;
    t.turns.erase(t.turns.begin() + (turn - t.turns.data()));
  }
  for (auto it = t.owed.begin(); it != t.owed.end(); ++it) {
    if (it->command != command) continue;
    if (replyMayStillCome) {
      startGrace(*it);
    } else {
      t.owed.erase(it);
    }
    break;
  }
  return outcome;
}

void EndNetworkLineWait() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  if (t.owed.empty() || t.owed.back().awaited) return;
  startGrace(t.owed.back());
}

bool ReplyTurnAnswered(uint32_t command) {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  const Turn* turn = findTurn(t, command);
  return turn && turn->outcome.answered;
}

uint32_t LateReplyGraceLeftMs() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  uint32_t left = 0;
  for (const OwedCommand& c : t.owed) {
    if (c.inGrace) left = std::max(left, platform::TicksLeft(c.graceFrom, kLateReplyGraceMs));
  }
  return left;
}

void WaitOutLateReply(const std::function<bool()>& linkGone,
                      const std::function<void()>& keepAlive) {
  for (uint32_t left = LateReplyGraceLeftMs(); left > 0; left = LateReplyGraceLeftMs()) {
    if (linkGone()) return;
    platform::SleepMs(std::min<uint32_t>(left, platform::kWaitSliceMs));
    keepAlive();
  }
}

void ForgetOwedReplies() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  t.owed.clear();
}

void InstallReplyTurns() {
  SendObserver observer;
  observer.beforeSend = holdForLateReply;
  observer.counted = counted;
  observer.lineAnsweredNothing = lineAnsweredNothing;
  SetSendObserver(observer);
}

ReplyHandling::ReplyHandling(uint32_t stamp, uint32_t beganAt, char echo)
    : fit_(ReplyFit::Dropped) {
  Turns& t = turns();
  std::unique_lock<std::mutex> held(t.lock);
  waitForOtherHandlers(t, held);
  forgetSettled(t);
  size_t at = 0;
  const Match found = match(t, stamp, beganAt, echo, at);
  // Over the network every line read is before the reply of the command sent
  // last, until one is taken: the link reads on after one that is dropped.
  t.lastLineAnsweredNothing = LinkMode.load() == LINK_ETHERNET;
  switch (found) {
    case Match::Dropped:
      return;
    case Match::Unnamed:
      if (Turn* turn = findTurn(t, t.owed[at].command)) turn->outcome.unnamedSeen = true;
      fit_ = ReplyFit::Unnamed;
      command_ = t.owed[at].answers;
      break;
    case Match::Answers: {
      // The commands before it have lost their replies: the reader answers in order.
      const OwedCommand answered = t.owed[at];
      t.owed.erase(t.owed.begin(), t.owed.begin() + static_cast<long>(at) + 1);
      if (answered.inGrace) return;  // its handler stopped waiting: unseen
      fit_ = ReplyFit::Taken;
      seq_ = answered.command;
      command_ = answered.answers;
      break;
    }
  }
  t.lastLineAnsweredNothing = false;
  ++t.holds;
  t.holder = std::this_thread::get_id();
}

ReplyHandling::~ReplyHandling() {
  if (fit_ == ReplyFit::Dropped) return;
  Turns& t = turns();
  {
    std::lock_guard<std::mutex> hold(t.lock);
    if (fit_ == ReplyFit::Taken) {
      if (Turn* turn = findTurn(t, seq_)) turn->outcome.answered = true;
    }
    --t.holds;
  }
  t.idle.notify_all();
}

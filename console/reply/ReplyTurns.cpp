#include "reply/ReplyTurns.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "gui/GuiThread.h"
#include "link/link.h"
#include "platform/tick.h"
#include "reply/MainState.h"

namespace {

constexpr uint8_t kFrameStart = 0x60;

// The download's pause between the jump into the boot loader and its frames.
constexpr uint32_t kBootJumpWaitMs = 2500;

// A command that went out and is owed one reply.
struct OwedCommand {
  uint32_t command = 0;  // its CommandsSent() count
  AnsweredCommand answers;
  char echo = 0;  // 0: it names none (a frame, or a line without a third character)
  bool awaited = false;
  bool echoNamesTrack = false;
  uint32_t replyTimeMs = 0;
  uint32_t startedAt = 0;  // when the reader can have begun on it
  bool inGrace = false;    // its wait ended: a late reply is dropped unseen
  std::optional<uint32_t> deadline;  // owed only to a reply that begins before it
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
uint32_t later(uint32_t tick, uint32_t other) { return before(tick, other) ? other : tick; }

// The longest wait the pages give the reply to a line nobody waits for (see
// the header); the track and ATMEL read and write lines are always awaited.
uint32_t replyTimeMs(const uint8_t* bytes, int length) {
  if (length > 0 && bytes[0] == kFrameStart) return kTrackReplyMs;
  if (length < 2 || !isDigit(bytes[0]) || !isDigit(bytes[1])) return ReceiveTimeoutMs;
  switch ((bytes[0] - '0') * 10 + (bytes[1] - '0')) {
    case 12: case 15: case 16: case 17: case 50: case 70: case 71: return kCardMoveReplyMs;
    case 0: case 51: case 52: case 53: case 60: case 61: return kTrackReplyMs;
    case 2: return kBootJumpWaitMs;
    default: return ReceiveTimeoutMs;
  }
}

// Whether `c` was owed a reply that began at `beganAt`, when `stamp` commands
// had gone out. One begun before a later command went out met no deadline.
bool owedWhenBegan(const OwedCommand& c, uint32_t stamp, uint32_t beganAt) {
  return stamp == c.command || !c.deadline || before(beganAt, *c.deadline);
}

// A later command went out at `now`: `c`, unless awaited, is owed only for
// its reply time, and at least until then.
void followed(OwedCommand& c, uint32_t now) {
  if (c.awaited || c.deadline) return;
  c.deadline = later(c.startedAt + c.replyTimeMs, now);
}

// A reply to a command before `c` was taken at `now`: only then can the
// reader have begun on `c`, so its reply time counts from there.
void readerReachedBy(OwedCommand& c, uint32_t now) {
  c.startedAt = later(c.startedAt, now);
  if (c.deadline && !c.inGrace) c.deadline = later(*c.deadline, c.startedAt + c.replyTimeMs);
}

void startGrace(OwedCommand& c) {
  c.inGrace = true;
  c.deadline = platform::TickCount() + kLateReplyGraceMs;
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

// Forgets the commands whose deadline passed so long ago that no reply still
// being read can be theirs (a serial reply is whole WholeReplyTimeoutMs after
// its first byte, a network line is whole when it is handed over). Only from
// the front: a reply to an earlier command would restart a later one's clock.
void forgetSettled(Turns& t) {
  const uint32_t tick = platform::TickCount() - WholeReplyTimeoutMs;
  while (!t.owed.empty() && t.owed.front().deadline && !before(tick, *t.owed.front().deadline)) {
    t.owed.pop_front();
  }
}

bool counted(uint32_t command, const uint8_t* bytes, int length, uint32_t goesOutInMs) {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  forgetSettled(t);
  const uint32_t now = platform::TickCount();
  // The network link drops what waits in the connection before it sends: no
  // earlier command can be answered any more.
  if (LinkMode.load() == LINK_ETHERNET) t.owed.clear();
  const bool earlierOwed = !t.owed.empty();
  for (OwedCommand& c : t.owed) followed(c, now);
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
  c.startedAt = now + goesOutInMs;
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

bool waitsForTrack(const OwedCommand& c) { return c.awaited && !c.inGrace && c.echoNamesTrack; }

enum class Match { Answers, Unnamed, Dropped };

// The owed command a reply answers, at `at` (see the header). A waiting
// track step is always owed.
Match match(const Turns& t, uint32_t stamp, uint32_t beganAt, char echo, size_t& at) {
  size_t unnamedAt = t.owed.size();  // the first waiting track step
  for (at = 0; at < t.owed.size() && stamp - t.owed[at].command < 0x80000000u; ++at) {
    const OwedCommand& c = t.owed[at];
    if (waitsForTrack(c) && unnamedAt == t.owed.size()) unnamedAt = at;
    if (!owedWhenBegan(c, stamp, beganAt)) continue;
    if (c.echo == 0 || c.echo == echo || (echo == 0 && !waitsForTrack(c))) return Match::Answers;
  }
  at = unnamedAt;
  return at < t.owed.size() && !namesTrack(echo) ? Match::Unnamed : Match::Dropped;
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
  const auto it = std::find_if(t.owed.begin(), t.owed.end(),
                               [command](const OwedCommand& c) { return c.command == command; });
  if (it == t.owed.end()) return outcome;
  if (replyMayStillCome) {
    startGrace(*it);
  } else {
    t.owed.erase(it);
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
  const uint32_t now = platform::TickCount();
  uint32_t left = 0;
  for (const OwedCommand& c : t.owed) {
    if (c.inGrace && before(now, *c.deadline)) left = std::max(left, *c.deadline - now);
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
      const uint32_t now = platform::TickCount();
      for (OwedCommand& c : t.owed) readerReachedBy(c, now);
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

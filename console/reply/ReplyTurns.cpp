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

// A command that went out and is owed one reply.
struct OwedCommand {
  uint32_t command = 0;  // its CommandsSent() count
  uint32_t sentAt = 0;
  AnsweredCommand answers;
  char echo = 0;  // 0: it names none (a frame, or a line without a third character)
  bool awaited = false;
  bool echoNamesTrack = false;
  bool inGrace = false;  // its handler stopped waiting; a late reply is dropped
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

// Drops the commands that are no longer owed a reply (see the header).
void expire(Turns& t) {
  const uint32_t now = platform::TickCount();
  const uint32_t last = CommandsSent();
  t.owed.erase(std::remove_if(t.owed.begin(), t.owed.end(),
                              [&](const OwedCommand& c) {
                                if (c.inGrace) return now - c.graceFrom >= kLateReplyGraceMs;
                                return !c.awaited && c.command != last &&
                                       now - c.sentAt >= kUnawaitedReplyMs;
                              }),
               t.owed.end());
}

bool counted(uint32_t command, const uint8_t* bytes, int length) {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  expire(t);
  // The network link drops what waits in the connection before it sends: no
  // earlier command can be answered any more.
  if (LinkMode.load() == LINK_ETHERNET) t.owed.clear();
  const bool earlierOwed = !t.owed.empty();
  t.lastLineAnsweredNothing = false;

  OwedCommand c;
  c.command = command;
  c.sentAt = platform::TickCount();
  c.answers.commandId = CommandId;
  c.answers.hexDump = HexDumpFlag.exchange(0) != 0;  // asks for this command's reply only
  c.answers.txTrack = TxBuffer[0];
  // A frame, or a line that ends before its third character, names no echo
  // its reply could repeat: order alone decides.
  const bool frame = length > 0 && bytes[0] == kFrameStart;
  const bool echoed = !frame && length >= 3 && bytes[2] != '\r' && bytes[2] != '\n';
  c.echo = echoed ? static_cast<char>(bytes[2]) : 0;
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

enum class Match { Answers, Unnamed, Stray, Nobody };

// The owed command a reply (stamped `stamp`, echoing `echo`) answers, at `at`.
Match match(Turns& t, uint32_t stamp, char echo, size_t& at) {
  // Only commands that went out before the reply began can be answered by it.
  size_t candidates = 0;
  while (candidates < t.owed.size() && stamp - t.owed[candidates].command < 0x80000000u) {
    ++candidates;
  }
  if (candidates == 0) return Match::Nobody;
  for (at = 0; at < candidates; ++at) {
    const char wanted = t.owed[at].echo;
    if (echo == 0 || wanted == 0 || wanted == echo) return Match::Answers;
  }
  const OwedCommand& oldest = t.owed.front();
  const bool waitsForTrack = oldest.awaited && !oldest.inGrace && oldest.echoNamesTrack;
  return waitsForTrack && !namesTrack(echo) ? Match::Unnamed : Match::Stray;
}

// A network line that answered nothing while the command sent last still
// waits for its own.
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
  expire(t);
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

ReplyHandling::ReplyHandling(uint32_t stamp, char echo) : fit_(ReplyFit::Dropped) {
  Turns& t = turns();
  std::unique_lock<std::mutex> held(t.lock);
  waitForOtherHandlers(t, held);
  expire(t);
  size_t at = 0;
  const Match found = match(t, stamp, echo, at);
  t.lastLineAnsweredNothing = found == Match::Stray && LinkMode.load() == LINK_ETHERNET &&
                              !t.owed.empty() && t.owed.back().command == CommandsSent() &&
                              !t.owed.back().inGrace;
  switch (found) {
    case Match::Nobody:
    case Match::Stray:
      return;
    case Match::Unnamed:
      if (Turn* turn = findTurn(t, t.owed.front().command)) turn->outcome.unnamedSeen = true;
      fit_ = ReplyFit::Unnamed;
      command_ = t.owed.front().answers;
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

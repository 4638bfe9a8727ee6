#include "reply/ReplyTurns.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "link/link.h"
#include "platform/tick.h"

namespace {

struct Turns {
  std::mutex lock;
  std::condition_variable idle;  // a reply's handling has ended
  // Commands are named by CommandsSent() once they went out; 0 is "none yet",
  // so that input before the first command answers nothing.
  uint32_t answered = 0;  // the last command a reply was taken for
  uint32_t closed = 0;    // the last command whose wait has ended
  bool stepOpen = false;
  uint32_t stepCommand = 0;
  char stepEcho = 0;
  bool echoNamesTrack = false;
  bool handled = false;
  bool unnamedSeen = false;
  int strays = 0;
  bool graceOwed = false;
  uint32_t graceFrom = 0;
  int holds = 0;  // replies being handled, all on `holder`
  std::thread::id holder;
};

Turns& turns() {
  static Turns* const instance = new Turns;  // the receive thread may use it up to the end
  return *instance;
}

bool namesTrack(char echo) { return echo >= '1' && echo <= '4'; }

// Waits until no other thread handles a reply. The handler never waits for
// the thread that waits here, so this ends as soon as that reply is handled.
void waitForOtherHandlers(Turns& t, std::unique_lock<std::mutex>& held) {
  const std::thread::id self = std::this_thread::get_id();
  t.idle.wait(held, [&] { return t.holds == 0 || t.holder == self; });
}

ReplyFit sort(Turns& t, uint32_t stamp, char echo) {
  if (stamp != CommandsSent() || stamp == t.answered || stamp == t.closed) return ReplyFit::Dropped;
  if (t.stepOpen && stamp == t.stepCommand) {
    if (t.echoNamesTrack && !namesTrack(echo)) {
      t.unnamedSeen = true;
      return ReplyFit::Unnamed;
    }
    if (echo != t.stepEcho) {
      ++t.strays;
      return ReplyFit::Dropped;
    }
  }
  t.answered = stamp;
  return ReplyFit::Taken;
}

}  // namespace

void OpenReplyTurn(char echo, bool echoNamesTrack) {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  t.stepOpen = true;
  t.stepCommand = CommandsSent() + 1;  // the send that follows
  t.stepEcho = echo;
  t.echoNamesTrack = echoNamesTrack;
  t.handled = false;
  t.unnamedSeen = false;
  t.strays = 0;
  t.graceOwed = false;
}

void EndReplyTurn(bool replyMayStillCome) {
  Turns& t = turns();
  std::unique_lock<std::mutex> held(t.lock);
  waitForOtherHandlers(t, held);
  if (!t.stepOpen) return;
  t.stepOpen = false;
  t.closed = t.stepCommand;
  if (t.answered != t.stepCommand && replyMayStillCome) {
    t.graceOwed = true;
    t.graceFrom = platform::TickCount();
  }
}

uint32_t LateReplyGraceLeftMs() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  if (!t.graceOwed) return 0;
  const uint32_t left = platform::TicksLeft(t.graceFrom, kLateReplyGraceMs);
  if (left == 0) t.graceOwed = false;
  return left;
}

void ForgetLateReply() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  t.graceOwed = false;
}

bool ReplyTurnAnswered() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  return t.handled;
}

bool ReplyTurnSawUnnamed() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  return t.unnamedSeen;
}

int ReplyTurnStrays() {
  Turns& t = turns();
  std::lock_guard<std::mutex> hold(t.lock);
  return t.strays;
}

ReplyHandling::ReplyHandling(uint32_t stamp, char echo) : stamp_(stamp) {
  Turns& t = turns();
  std::unique_lock<std::mutex> held(t.lock);
  waitForOtherHandlers(t, held);
  fit_ = sort(t, stamp, echo);
  if (fit_ == ReplyFit::Dropped) return;
  ++t.holds;
  t.holder = std::this_thread::get_id();
}

ReplyHandling::~ReplyHandling() {
  if (fit_ == ReplyFit::Dropped) return;
  Turns& t = turns();
  {
    std::lock_guard<std::mutex> hold(t.lock);
    if (fit_ == ReplyFit::Taken && t.stepOpen && stamp_ == t.stepCommand) t.handled = true;
    --t.holds;
  }
  t.idle.notify_all();
}

#include "reply/StepGate.h"

#include <deque>
#include <mutex>

#include "platform/tick.h"

namespace {

struct OwedReply {
  char echo;
  uint32_t closedAt;
  uint32_t boundMs;
};

// More owed replies than this means the reader has stopped answering; the
// oldest are given up.
constexpr size_t kMostOwed = 16;

struct Gate {
  std::mutex lock;
  int commandId = -1;  // the id the steps were sent under; -1 before any step
  bool open = false;
  char trackChar = 0;
  bool taken = false;     // a reply was taken for the open step ...
  bool answered = false;  // ... and handled
  bool unnamedSeen = false;
  int strays = 0;  // dropped while the step was open
  std::deque<OwedReply> owed;  // oldest first
};

Gate& gate() {
  static Gate* const instance = new Gate;  // used by the receive thread up to the end
  return *instance;
}

bool namesTrack(char echo) { return echo >= '1' && echo <= '4'; }

void forgetExpired(std::deque<OwedReply>& owed) {
  while (!owed.empty() && platform::TicksLeft(owed.front().closedAt, owed.front().boundMs) == 0) {
    owed.pop_front();
  }
}

}  // namespace

void OpenStep(int commandId, char trackChar) {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  g.commandId = commandId;
  g.open = true;
  g.trackChar = trackChar;
  g.taken = false;
  g.answered = false;
  g.unnamedSeen = false;
  g.strays = 0;
}

void ForgetOwedReplies() {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  g.owed.clear();
}

void CloseStep(uint32_t lateBoundMs) {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  if (!g.open) return;
  g.open = false;
  if (g.taken || lateBoundMs == 0) return;
  if (g.owed.size() == kMostOwed) g.owed.pop_front();
  g.owed.push_back({g.trackChar, platform::TickCount(), lateBoundMs});
}

ReplyFit FitReply(int commandId, char echo) {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  if (commandId != g.commandId) return ReplyFit::NotGated;
  forgetExpired(g.owed);
  if (!g.open || g.taken) {
    // Nothing waits for it: if it is the oldest owed reply, it is paid.
    if (!g.owed.empty() && g.owed.front().echo == echo) g.owed.pop_front();
    return ReplyFit::Stray;
  }
  if (!namesTrack(echo)) {
    g.unnamedSeen = true;
    return ReplyFit::Unnamed;
  }
  if (!g.owed.empty() && g.owed.front().echo == echo) {
    g.owed.pop_front();
    ++g.strays;
    return ReplyFit::Stray;
  }
  if (echo != g.trackChar) {
    ++g.strays;
    // An earlier step's reply that came out of turn.
    for (auto it = g.owed.begin(); it != g.owed.end(); ++it) {
      if (it->echo == echo) {
        g.owed.erase(it);
        break;
      }
    }
    return ReplyFit::Stray;
  }
  // Its own reply while older ones are owed: the reader dropped those.
  g.owed.clear();
  g.taken = true;
  return ReplyFit::Step;
}

void FinishStepReply() {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  if (g.open && g.taken) g.answered = true;
}

bool StepAnswered() {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  return g.answered;
}

int StepStrayCount() {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  return g.strays;
}

bool StepSawUnnamedReply() {
  Gate& g = gate();
  std::lock_guard<std::mutex> hold(g.lock);
  return g.unnamedSeen;
}

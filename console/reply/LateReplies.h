// Which reply belongs to which command while a loop sends one command after
// another and waits a bounded time for each. The reader answers its commands
// in order, so once a step has stopped waiting, the next reply to come is
// that step's late reply, not the reply of the step that waits now: the reply
// handler drops it unseen, so that it neither ends the later step's wait nor
// shows in its place. A late reply that has not come by the end of the
// following step is given up. Outside a loop nothing is dropped.
// Any thread may call any member.
#pragma once
#include <mutex>

class LateReplies {
 public:
  // The loop starts (nothing owed) and ends (nothing dropped any more).
  void Start();
  void Stop();
  // A step is about to send its command.
  void StepSent();
  // The step's wait has ended; a reply that has not come is late from now on.
  void StepEnded();
  // Reply handler, once per reply: true for a late reply, which is to be
  // dropped.
  bool DropReply();

 private:
  std::mutex mutex_;
  bool running_ = false;
  bool answered_ = false;
  bool owed_ = false;
};

// The IC card loop's replies.
extern LateReplies IcLoopReplies;

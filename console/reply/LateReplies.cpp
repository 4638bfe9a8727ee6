#include "reply/LateReplies.h"

LateReplies IcLoopReplies;

void LateReplies::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = true;
  owed_ = false;
}

void LateReplies::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = false;
  owed_ = false;
}

void LateReplies::StepSent() {
  std::lock_guard<std::mutex> lock(mutex_);
  answered_ = false;
}

void LateReplies::StepEnded() {
  std::lock_guard<std::mutex> lock(mutex_);
  // An earlier step's reply still owed now is given up with this step.
  owed_ = !answered_;
}

bool LateReplies::DropReply() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return false;
  if (owed_) {
    owed_ = false;
    return true;
  }
  answered_ = true;
  return false;
}

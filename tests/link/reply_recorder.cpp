#include "reply_recorder.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "link.h"

namespace recorder {
namespace {

std::mutex lock;
std::condition_variable recorded;
std::vector<RecordedReply> replies;
size_t entered = 0;
std::atomic<RecorderAction> currentAction{RecorderAction::ReadReply};

void record(RecordedReply reply) {
  std::lock_guard<std::mutex> guard(lock);
  replies.push_back(std::move(reply));
  recorded.notify_all();
}

void noteEntry() {
  std::lock_guard<std::mutex> guard(lock);
  ++entered;
  recorded.notify_all();
}

int callback(int, int) {
  noteEntry();
  RecordedReply reply;
  reply.thread = std::this_thread::get_id();
  const RecorderAction action = currentAction.load();
  if (action == RecorderAction::IgnoreInput) {
    record(reply);
    return 1;
  }
  char text[kLinkBufferSize + 1];
  std::strcpy(text, kUntouchedText);
  int status = kUntouchedStatus;
  reply.result = ReceiveResponse(text, &status);
  reply.text = text;
  reply.status = status;
  record(reply);
  if (action == RecorderAction::ReadThenClosePort) CloseSerialPort();
  return 1;
}

}  // namespace

void Install(RecorderAction action) {
  Clear();
  currentAction.store(action);
  SetReceiveCallback(&callback);
}

void Clear() {
  std::lock_guard<std::mutex> guard(lock);
  replies.clear();
  entered = 0;
}

std::vector<RecordedReply> Replies() {
  std::lock_guard<std::mutex> guard(lock);
  return replies;
}

size_t Count() {
  std::lock_guard<std::mutex> guard(lock);
  return replies.size();
}

bool WaitForCount(size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> guard(lock);
  return recorded.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return replies.size() >= count; });
}

bool WaitForEntered(size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> guard(lock);
  return recorded.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return entered >= count; });
}

}  // namespace recorder

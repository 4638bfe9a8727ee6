#include "boot_loader.h"

#include <mutex>

namespace readersim {

struct BootLoader::State {
  mutable std::mutex mutex;
  bool bootMode = false;
  bool answerWrites = true;
  std::string image;
  unsigned nextAddress = kImageStartAddress;
  int stored = 0;
  int refused = 0;
  int starts = 0;

  // The answer to one frame payload; empty for no answer. Holds the lock.
  std::string answer(const std::string& payload) {
    if (!bootMode || payload.empty()) return "E";
    switch (payload[0]) {
      case 'W':
        return writeBlock(payload);
      case 'X':
        bootMode = false;
        ++starts;
        return answerWrites ? "A" : "";
      case 'V':
        return std::string("V") + kBootVersionText;
      default:
        return "E";
    }
  }

  std::string writeBlock(const std::string& payload) {
    if (payload.size() != 5 + kImageBlockSize) {
      ++refused;
      return "E";
    }
    unsigned address = 0;
    for (int i = 1; i <= 4; ++i) address = address << 8 | static_cast<unsigned char>(payload[i]);
    if (address == kImageStartAddress) {
      image.clear();
      nextAddress = kImageStartAddress;
    }
    if (address != nextAddress) {
      ++refused;
      return "E";
    }
    image.append(payload, 5, kImageBlockSize);
    nextAddress += kImageBlockSize;
    ++stored;
    return answerWrites ? "A" : "";
  }
};

BootLoader::BootLoader(ReaderSim& sim) : state_(std::make_shared<State>()) {
  std::shared_ptr<State> state = state_;
  sim.SetHandler("020", [state](const Request& request) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->bootMode = true;
    return TextReply(request);
  });
  sim.SetFrameHandler([state](const Request& request) {
    std::string answer;
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      answer = state->answer(request.data);
    }
    if (answer.empty()) {
      Reply silent;
      silent.silent = true;
      return silent;
    }
    return request.connection == 0 ? FrameReply(answer) : RawReply(answer + "\n");
  });
}

bool BootLoader::InBootMode() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->bootMode;
}

std::string BootLoader::Image() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->image;
}

int BootLoader::BlocksStored() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->stored;
}

int BootLoader::BlocksRefused() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->refused;
}

int BootLoader::Starts() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->starts;
}

void BootLoader::SetAnswerWrites(bool answer) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->answerWrites = answer;
}

}  // namespace readersim

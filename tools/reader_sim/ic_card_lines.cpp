#include "ic_card_lines.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace readersim {
namespace {

constexpr int kCommandUnidentified = 5;
constexpr int kCardNotFound = 41;
constexpr int kPowerOnError = 42;
constexpr int kDataPollution = 43;
constexpr int kFirstIcStatus = 30;
constexpr int kLastIcStatus = 46;

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The bytes of `hex`, or false for text that is not whole hex pairs.
bool hexBytes(const std::string& hex, std::vector<int>* bytes) {
  if (hex.size() % 2 != 0) return false;
  for (size_t at = 0; at < hex.size(); at += 2) {
    const int high = hexValue(hex[at]);
    const int low = hexValue(hex[at + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(high * 16 + low);
  }
  return true;
}

std::string hexText(int byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
  return text;
}

}  // namespace

struct IcCardLines::State {
  mutable std::mutex mutex;
  bool entered = false;
  char powerMode = '\0';
  std::map<IcCommand, std::pair<int, int>> faults;  // command -> (status, times left)

  // Called with the mutex held: the status of a pending fault, using one of
  // its times.
  int takeFault(IcCommand command) {
    auto found = faults.find(command);
    if (found == faults.end()) return 0;
    const int status = found->second.first;
    int& left = found->second.second;
    if (left != kEveryTime && --left == 0) faults.erase(found);
    return status;
  }

  Reply entryLine(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault(IcCommand::Entry)) return TextReply(request, status);
    entered = true;
    return TextReply(request);
  }

  Reply powerOnLine(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault(IcCommand::PowerOn)) return TextReply(request, status);
    if (request.data != "0" && request.data != "1") {
      return TextReply(request, kCommandUnidentified);
    }
    if (!entered) return TextReply(request, kCardNotFound);
    powerMode = request.data[0];
    return TextReply(request, 0, powerMode == '0' ? kIsoAtr : kEmvAtr);
  }

  Reply directLine(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault(IcCommand::Direct)) return TextReply(request, status);
    if (!entered) return TextReply(request, kCardNotFound);
    if (powerMode == '\0') return TextReply(request, kPowerOnError);
    const std::string answer = DirectAnswer(request.data);
    if (answer.empty()) return TextReply(request, kDataPollution);
    return TextReply(request, 0, answer);
  }

  Reply powerOffLine(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault(IcCommand::PowerOff)) return TextReply(request, status);
    powerMode = '\0';
    return TextReply(request);
  }
};

IcCardLines::IcCardLines(ReaderSim& sim) : state_(std::make_shared<State>()) {
  std::shared_ptr<State> state = state_;
  sim.SetHandler("500", [state](const Request& r) { return state->entryLine(r); });
  sim.SetHandler("51", [state](const Request& r) { return state->powerOnLine(r); });
  sim.SetHandler("530", [state](const Request& r) { return state->directLine(r); });
  sim.SetHandler("520", [state](const Request& r) { return state->powerOffLine(r); });
}

void IcCardLines::Fail(IcCommand command, int status, int times) {
  if (status < kFirstIcStatus || status > kLastIcStatus) {
    throw std::invalid_argument("not an IC card module status: " + std::to_string(status));
  }
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (times == 0) {
    state_->faults.erase(command);
  } else {
    state_->faults[command] = {status, times};
  }
}

void IcCardLines::ClearFaults() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->faults.clear();
}

bool IcCardLines::Entered() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->entered;
}

char IcCardLines::PowerMode() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->powerMode;
}

std::string IcCardLines::DirectAnswer(const std::string& apduHex) {
  std::vector<int> apdu;
  if (!hexBytes(apduHex, &apdu) || apdu.size() < 4) return "";
  // After the header: nothing, Le alone, or Lc, its data and perhaps Le.
  const size_t body = apdu.size() - 4;
  size_t le = 0;
  if (body == 1) {
    le = apdu[4] == 0 ? 256 : static_cast<size_t>(apdu[4]);
  } else if (body > 1) {
    const size_t lc = static_cast<size_t>(apdu[4]);
    if (lc == 0 || body < 1 + lc || body > 2 + lc) return "";
    if (body == 2 + lc) le = apdu.back() == 0 ? 256 : static_cast<size_t>(apdu.back());
  }
  std::string answer;
  for (size_t i = 0; i < le; ++i) answer += hexText(static_cast<int>(i));
  return answer + "9000";
}

}  // namespace readersim

#include "net_settings_lines.h"

#include <mutex>

namespace readersim {
namespace {

constexpr int kTransmissionError = 4;
constexpr size_t kTextLength = 48;

struct Group {
  size_t offset;
  size_t length;
  int flag;  // 0 first flag character, 1 second
  int bit;
};
constexpr Group kGroups[] = {
    {0, 12, 1, 1},  // MAC
    {12, 8, 1, 2},  // My IP
    {20, 8, 1, 4},  // GATE
    {28, 8, 1, 8},  // SUB
    {36, 8, 0, 1},  // DNS
    {44, 4, 0, 2},  // PORT
};

// Value of a flag character, -1 when it is none: the first is '0'-'3', the
// second one upper-case hex digit.
int flagValue(char c, int flag) {
  if (flag == 0) return c >= '0' && c <= '3' ? c - '0' : -1;
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

struct NetSettingsLines::State {
  mutable std::mutex mutex;
  std::string text = std::string(kTextLength, '0');
};

NetSettingsLines::NetSettingsLines(ReaderSim& sim) : state_(std::make_shared<State>()) {
  std::shared_ptr<State> state = state_;
  sim.SetHandler("030", [state](const Request& request) {
    const std::string& data = request.data;
    if (data.size() != 2 + kTextLength) return TextReply(request, kTransmissionError);
    const int flags[2] = {flagValue(data[0], 0), flagValue(data[1], 1)};
    if (flags[0] < 0 || flags[1] < 0) return TextReply(request, kTransmissionError);
    std::lock_guard<std::mutex> lock(state->mutex);
    for (const Group& group : kGroups) {
      if (flags[group.flag] & group.bit) {
        state->text.replace(group.offset, group.length, data, 2 + group.offset, group.length);
      }
    }
    return TextReply(request);
  });
  sim.SetHandler("031", [state](const Request& request) {
    std::lock_guard<std::mutex> lock(state->mutex);
    return TextReply(request, 0, state->text);
  });
}

std::string NetSettingsLines::Text() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->text;
}

void NetSettingsLines::SetText(const std::string& text) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->text = text;
}

}  // namespace readersim

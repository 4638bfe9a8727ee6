#include "driver_lines.h"

#include <map>
#include <mutex>

namespace readersim {

struct DriverLines::State {
  explicit State(Card& card) : card(card) {}

  Card& card;
  std::mutex mutex;
  std::map<std::string, DriverLineFault> faults;

  // The fault for `line`, counted as used; false when there is none.
  bool takeFault(const std::string& line, DriverLineFault& fault) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = faults.find(line.substr(0, 3));
    if (it == faults.end()) return false;
    fault = it->second;
    if (it->second.times != DriverLineFault::kEveryTime && --it->second.times <= 0) faults.erase(it);
    return true;
  }
};

namespace {

constexpr char kEtx = 0x03;
constexpr char kEot = 0x04;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;

char lineEcho(const std::string& line) { return line.size() > 2 ? line[2] : '0'; }

int trackOf(const std::string& line) { return TrackNumberOf(lineEcho(line)); }

std::string withEnding(std::string text, ReplyEnding ending) {
  switch (ending) {
    case ReplyEnding::CrLf:
      return text + "\r\n";
    case ReplyEnding::EtxCheck: {
      char check = 0;
      for (char c : text) check ^= c;
      return text + kEtx + check;
    }
    case ReplyEnding::Eot:
      return text + kEot;
    case ReplyEnding::Ack:
      return text + kAck;
    case ReplyEnding::Nak:
      return text + kNak;
  }
  return text;
}

std::string statusDigits(int status) {
  status = status < 0 ? 0 : status % 100;
  return {static_cast<char>('0' + status / 10), static_cast<char>('0' + status % 10)};
}

using Action = std::string (*)(Card& card, const std::string& line);

std::string setBitNorm(Card& card, const std::string&) {
  card.SetNorm('B');
  return "";
}

std::string readTrack(Card& card, const std::string& line) { return card.Track(trackOf(line)); }

std::string writeTrack(Card& card, const std::string& line) {
  card.SetTrack(trackOf(line), line.substr(3));
  return "";
}

std::string acknowledge(Card&, const std::string&) { return ""; }

// The reply to `request`: the action's payload, or what a fault asks for.
Reply answer(DriverLines::State& state, const Request& request, Action action) {
  DriverLineFault fault;
  const bool faulty = state.takeFault(request.line, fault);
  if (faulty && fault.silent) {
    Reply silent;
    silent.silent = true;
    return silent;
  }
  const int status = faulty ? fault.status : 0;
  const char echo = faulty && fault.echo != '\0' ? fault.echo : lineEcho(request.line);
  const std::string payload = status == 0 ? action(state.card, request.line) : "";
  const ReplyEnding ending = faulty ? fault.ending : ReplyEnding::CrLf;
  return RawReply(withEnding(statusDigits(status) + echo + payload, ending));
}

}  // namespace

DriverLines::DriverLines(ReaderSim& sim) : state_(std::make_shared<State>(sim.CardState())) {
  const std::map<std::string, Action> lines = {
      {"080B", setBitNorm},  {"181", readTrack},  {"182", readTrack},   {"202", readTrack},
      {"221", readTrack},    {"222", readTrack},  {"223", readTrack},   {"191", writeTrack},
      {"192", writeTrack},   {"193", writeTrack}, {"211", writeTrack},  {"212", writeTrack},
      {"233", writeTrack},   {"000", acknowledge}, {"010", acknowledge}, {"120", acknowledge}};
  for (const auto& [prefix, action] : lines) {
    std::shared_ptr<State> state = state_;
    Action act = action;
    sim.SetHandler(prefix, [state, act](const Request& request) { return answer(*state, request, act); });
  }
}

void DriverLines::SetFault(const std::string& line, const DriverLineFault& fault) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->faults[line.substr(0, 3)] = fault;
}

void DriverLines::ClearFaults() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->faults.clear();
}

std::string DriverLines::StoredBits(int track) const { return state_->card.Track(track); }

void DriverLines::StoreBits(int track, const std::string& bits) { state_->card.SetTrack(track, bits); }

}  // namespace readersim

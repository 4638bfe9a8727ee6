#include "atmel_card_lines.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace readersim {
namespace {

constexpr int kNotSupported = 50;
constexpr int kReadWriteError = 51;
constexpr int kMaxCount = 0x400;
const char kTypeChars[] = "0123456789A";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of `text` as hex digits, -1 when it holds anything else.
long hexNumber(const std::string& text) {
  if (text.empty()) return -1;
  long value = 0;
  for (char c : text) {
    const int digit = hexValue(c);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

std::string hexText(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char byte : bytes) {
    text += digits[byte >> 4];
    text += digits[byte & 0xF];
  }
  return text;
}

}  // namespace

struct AtmelCardLines::State {
  mutable std::mutex mutex;
  std::map<char, std::string> cards;  // type char -> bytes
  std::map<char, std::vector<std::pair<int, int>>> protectedRanges;
  char powered = 0;
  int faultStatus = 0;
  int faultTimes = 0;

  State() {
    for (const char* type = kTypeChars; *type != '\0'; ++type) {
      cards[*type] = std::string(static_cast<size_t>(CardBytes(*type)), '\xFF');
    }
  }

  int takeFault() {
    if (faultTimes == 0) return 0;
    if (faultTimes > 0) --faultTimes;
    return faultStatus;
  }

  bool isProtected(char type, int address) const {
    auto found = protectedRanges.find(type);
    if (found == protectedRanges.end()) return false;
    return std::any_of(found->second.begin(), found->second.end(), [address](const auto& range) {
      return address >= range.first && address <= range.second;
    });
  }

  Reply powerOn(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault()) return TextReply(request, status);
    const char type = request.data.size() == 1 ? request.data[0] : 0;
    if (CardBytes(type) == 0) return TextReply(request, kNotSupported);
    powered = type;
    return TextReply(request, 0, "\r");
  }

  Reply powerOff(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    powered = 0;
    return TextReply(request, 0, "\r");
  }

  // Address and count of a read or write line, or false when they do not
  // name a range of the powered card.
  bool range(const Request& request, int& address, int& count) const {
    if (powered == 0 || request.data.size() < 8) return false;
    const long first = hexNumber(request.data.substr(0, 5));
    const long length = hexNumber(request.data.substr(5, 3));
    if (first < 0 || length < 1 || length > kMaxCount) return false;
    if (first + length > CardBytes(powered)) return false;
    address = static_cast<int>(first);
    count = static_cast<int>(length);
    return true;
  }

  Reply read(const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault()) return TextReply(request, status);
    int address = 0;
    int count = 0;
    if (request.data.size() != 8 || !range(request, address, count)) {
      return TextReply(request, kReadWriteError);
    }
    return TextReply(request, 0, hexText(cards[powered].substr(address, count)) + "\r");
  }

  Reply write(const Request& request, bool verify) {
    std::lock_guard<std::mutex> lock(mutex);
    if (const int status = takeFault()) return TextReply(request, status);
    int address = 0;
    int count = 0;
    if (!range(request, address, count) ||
        request.data.size() != 8 + 2 * static_cast<size_t>(count)) {
      return TextReply(request, kReadWriteError);
    }
    std::string bytes;
    for (int i = 0; i < count; ++i) {
      const long byte = hexNumber(request.data.substr(8 + 2 * static_cast<size_t>(i), 2));
      if (byte < 0) return TextReply(request, kReadWriteError);
      bytes += static_cast<char>(byte);
    }
    std::string& card = cards[powered];
    for (int i = 0; i < count; ++i) {
      if (!isProtected(powered, address + i)) card[static_cast<size_t>(address + i)] = bytes[i];
    }
    if (verify &&
        card.compare(static_cast<size_t>(address), static_cast<size_t>(count), bytes) != 0) {
      return TextReply(request, kReadWriteError);
    }
    return TextReply(request, 0, "\r");
  }
};

AtmelCardLines::AtmelCardLines(ReaderSim& sim) : state_(std::make_shared<State>()) {
  std::shared_ptr<State> state = state_;
  sim.SetHandler("60", [state](const Request& r) { return state->powerOn(r); });
  sim.SetHandler("610", [state](const Request& r) { return state->powerOff(r); });
  sim.SetHandler("620", [state](const Request& r) { return state->read(r); });
  sim.SetHandler("630", [state](const Request& r) { return state->write(r, false); });
  sim.SetHandler("640", [state](const Request& r) { return state->write(r, true); });
}

int AtmelCardLines::CardBytes(char typeChar) {
  if (typeChar == 0) return 0;
  for (int i = 0; kTypeChars[i] != '\0'; ++i) {
    if (kTypeChars[i] == typeChar) return 128 << i;
  }
  return 0;
}

char AtmelCardLines::PoweredType() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->powered;
}

std::string AtmelCardLines::Memory(char typeChar, int address, int count) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  auto found = state_->cards.find(typeChar);
  if (found == state_->cards.end() || address < 0 || count < 0) return "";
  return found->second.substr(std::min<size_t>(static_cast<size_t>(address), found->second.size()),
                              static_cast<size_t>(count));
}

void AtmelCardLines::SetMemory(char typeChar, int address, const std::string& bytes) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  auto found = state_->cards.find(typeChar);
  if (found == state_->cards.end() || address < 0) return;
  std::string& card = found->second;
  for (size_t i = 0; i < bytes.size() && static_cast<size_t>(address) + i < card.size(); ++i) {
    card[static_cast<size_t>(address) + i] = bytes[i];
  }
}

void AtmelCardLines::Protect(char typeChar, int first, int last) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->protectedRanges[typeChar].emplace_back(first, last);
}

void AtmelCardLines::FailWith(int status, int times) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->faultStatus = status;
  state_->faultTimes = times;
}

void AtmelCardLines::ClearFaults() { FailWith(0, 0); }

}  // namespace readersim

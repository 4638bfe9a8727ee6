#include "card_lines.h"

#include <map>
#include <mutex>
#include <vector>

#include "card.h"

namespace readersim {
namespace {

// Reader statuses this card answers.
constexpr int kTransmissionError = 4;
constexpr int kCommandUnidentified = 5;
constexpr int kTooMuchData = 6;
constexpr int kTrackInfoError = 7;
constexpr int kLrcError = 17;
constexpr int kParityError = 20;
constexpr int kNoEndSentinel = 24;
constexpr int kNotEncoded = 25;
constexpr int kNoStartSentinel = 32;

constexpr int kLeadingZeros = 10;

const char* const kReadPrefixes[] = {"20", "26", "28", "18", "22", "24"};
const char* const kWritePrefixes[] = {"19", "21", "27", "23", "25"};

// How the characters of one track format sit in five- or seven-bit cells.
struct Coding {
  int dataBits;
  int startCode;
  int endCode;
  // Character to cell value, -1 for a character the format cannot hold.
  int (*encode)(char c);
  char (*decode)(int value);
};

int encodeAlpha(char c) {
  if (c < 0x20 || c > 0x5F || c == '%' || c == '?') return -1;
  return c - 0x20;
}
char decodeAlpha(int value) { return static_cast<char>(value + 0x20); }

int encodeNumeric(char c) {
  if (c < 0x30 || c > 0x3F || c == ';' || c == '?') return -1;
  return c - 0x30;
}
char decodeNumeric(int value) { return static_cast<char>(value + 0x30); }

int encodeHex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
char decodeHex(int value) {
  return static_cast<char>(value < 10 ? '0' + value : 'A' + value - 10);
}

const Coding kAlphaCoding = {6, 0x05, 0x1F, encodeAlpha, decodeAlpha};
const Coding kNumericCoding = {4, 0x0B, 0x0F, encodeNumeric, decodeNumeric};
const Coding kTimeLoxCoding = {4, 0x0B, 0x0F, encodeHex, decodeHex};

const Coding& codingOf(char trackChar) {
  if (trackChar == '1') return kAlphaCoding;
  if (trackChar == '4') return kTimeLoxCoding;
  return kNumericCoding;
}

// One cell: data bits LSB first, then the bit that makes the count of ones odd.
void appendCell(std::string& bits, int value, int dataBits) {
  int ones = 0;
  for (int i = 0; i < dataBits; ++i) {
    const bool one = (value >> i) & 1;
    ones += one;
    bits += one ? '1' : '0';
  }
  bits += (ones % 2 == 0) ? '1' : '0';
}

// Stripe bits for `text`, or the status that refuses it.
int encodeIso(const std::string& text, const Coding& coding, std::string* bits) {
  std::string out(kLeadingZeros, '0');
  int lrc = coding.startCode;
  appendCell(out, coding.startCode, coding.dataBits);
  for (char c : text) {
    const int value = coding.encode(c);
    if (value < 0) return kTrackInfoError;
    lrc ^= value;
    appendCell(out, value, coding.dataBits);
  }
  lrc ^= coding.endCode;
  appendCell(out, coding.endCode, coding.dataBits);
  appendCell(out, lrc, coding.dataBits);
  if (out.size() > static_cast<size_t>(kBitMemoryBits)) return kTooMuchData;
  *bits = out;
  return 0;
}

// Decodes a stripe the way the reader's ISO read does; returns the status.
int decodeIso(const std::string& bits, const Coding& coding, std::string* text) {
  const size_t first = bits.find('1');
  if (first == std::string::npos) return kNotEncoded;
  const size_t cellBits = static_cast<size_t>(coding.dataBits) + 1;
  std::vector<int> cells;
  for (size_t at = first; at + cellBits <= bits.size(); at += cellBits) {
    const std::string cell = bits.substr(at, cellBits);
    if (cell.find('1') == std::string::npos) break;  // end of the recording
    int value = 0;
    int ones = 0;
    for (size_t i = 0; i < cellBits; ++i) {
      if (cell[i] != '1') continue;
      ++ones;
      if (i < cellBits - 1) value |= 1 << i;
    }
    cells.push_back(ones % 2 == 1 ? value : -1);
  }
  if (cells.empty() || cells.front() != coding.startCode) return kNoStartSentinel;
  for (int value : cells) {
    if (value < 0) return kParityError;
  }
  if (cells.size() < 3 || cells[cells.size() - 2] != coding.endCode) return kNoEndSentinel;
  int lrc = 0;
  for (size_t i = 0; i + 1 < cells.size(); ++i) lrc ^= cells[i];
  if (lrc != cells.back()) return kLrcError;
  text->clear();
  for (size_t i = 1; i + 2 < cells.size(); ++i) *text += coding.decode(cells[i]);
  return 0;
}

bool isBitText(const std::string& text) {
  return text.find_first_not_of("01") == std::string::npos;
}

bool isDigits(const std::string& text) {
  return text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

struct CardLines::State {
  explicit State(Card& simCard) : card(simCard) {}

  Card& card;  // the simulator's card: stripes as bit text, norm, bit memory
  mutable std::mutex mutex;
  std::map<char, std::pair<int, int>> faults;  // track char -> (status, times left)
  TrackSettings settings;

  // The status of a pending fault for `trackChar`, using one of its times.
  int takeFault(char trackChar) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = faults.find(trackChar);
    if (found == faults.end()) return 0;
    const int status = found->second.first;
    int& left = found->second.second;
    if (left != kEveryTime && --left == 0) faults.erase(found);
    return status;
  }

  int write(char trackChar, const std::string& text) {
    const int track = TrackNumberOf(trackChar);
    if (track == 0) return kCommandUnidentified;
    if (const int status = takeFault(trackChar)) return status;
    std::string bits;
    if (card.Norm() == 'B') {
      if (!isBitText(text)) return kTrackInfoError;
      if (text.size() > static_cast<size_t>(kBitMemoryBits)) return kTooMuchData;
      bits = text;
    } else if (const int status = encodeIso(text, codingOf(trackChar), &bits)) {
      return status;
    }
    card.SetTrack(track, bits);
    return 0;
  }

  int read(char trackChar, std::string* text) {
    const int track = TrackNumberOf(trackChar);
    if (track == 0) return kCommandUnidentified;
    const std::string bits = card.Track(track);
    std::string memory = bits.substr(0, kBitMemoryBits);
    memory.resize(kBitMemoryBits, '0');
    card.SetBitMemory(memory);
    if (const int status = takeFault(trackChar)) return status;
    if (card.Norm() == 'B') {
      if (bits.find('1') == std::string::npos) return kNotEncoded;
      *text = bits;
      return 0;
    }
    return decodeIso(bits, codingOf(trackChar), text);
  }

  Reply readLine(const Request& request) {
    std::string text;
    const int status = read(request.data.empty() ? '0' : request.data[0], &text);
    return TextReply(request, status, status == 0 ? text : std::string());
  }

  Reply writeLine(const Request& request) {
    const char trackChar = request.data.empty() ? '0' : request.data[0];
    const std::string text = request.data.empty() ? std::string() : request.data.substr(1);
    return TextReply(request, write(trackChar, text));
  }

  // "300" .. "330" answer a 200-bit window, "340" all 800 bits.
  Reply bitsLine(int window, const Request& request) {
    const std::string memory = card.BitMemory();
    std::string all = memory.empty() ? std::string(kBitMemoryBits, '0') : memory;
    return TextReply(request, 0, window < 4 ? all.substr(window * 200, 200) : all);
  }

  // "04", "05", "06": track character and one setting character.
  Reply trackSettingLine(char (TrackSettings::*field)[3], const Request& request) {
    const int track = TrackNumberOf(request.data.empty() ? '0' : request.data[0]);
    if (request.data.size() != 2 || track == 0 || request.data[0] == '4') {
      return TextReply(request, kCommandUnidentified);
    }
    std::lock_guard<std::mutex> lock(mutex);
    (settings.*field)[track - 1] = request.data[1];
    return TextReply(request);
  }

  Reply repeatCountLine(const Request& request) {
    if (request.data.size() != 1 || request.data[0] < '1' || request.data[0] > '9') {
      return TextReply(request, kTransmissionError);
    }
    std::lock_guard<std::mutex> lock(mutex);
    settings.repeatCount = request.data[0];
    return TextReply(request);
  }

  Reply waitTimeLine(const Request& request) {
    if (request.data.size() != 2 || !isDigits(request.data)) {
      return TextReply(request, kTransmissionError);
    }
    std::lock_guard<std::mutex> lock(mutex);
    settings.waitTime = request.data;
    return TextReply(request);
  }

  Reply normLine(const Request& request) {
    if (request.data != "I" && request.data != "B") {
      return TextReply(request, kTransmissionError);
    }
    card.SetNorm(request.data[0]);
    return TextReply(request);
  }

  Reply coercivityLine(char coercivity, const Request& request) {
    std::lock_guard<std::mutex> lock(mutex);
    settings.coercivity = coercivity;
    return TextReply(request);
  }
};

namespace {
// The payload of the version reply: the console shows it from its second
// character on.
const char kVersionPayload[] = "VREADER-SIM 1.00";
}  // namespace

CardLines::CardLines(ReaderSim& sim) : state_(std::make_shared<State>(sim.CardState())) {
  state_->write('1', "CARD BENCH TRACK ONE 0123456789");
  state_->write('2', "1234567890123456=2512");
  state_->write('3', "0123456789=0123456789");

  std::shared_ptr<State> state = state_;
  for (const char* prefix : kReadPrefixes) {
    sim.SetHandler(prefix, [state](const Request& r) { return state->readLine(r); });
  }
  for (const char* prefix : kWritePrefixes) {
    sim.SetHandler(prefix, [state](const Request& r) { return state->writeLine(r); });
  }
  const char* const bitPrefixes[] = {"300", "310", "320", "330", "340"};
  for (int window = 0; window < 5; ++window) {
    sim.SetHandler(bitPrefixes[window],
                   [state, window](const Request& r) { return state->bitsLine(window, r); });
  }
  sim.SetHandler("04", [state](const Request& r) {
    return state->trackSettingLine(&TrackSettings::startSentinel, r);
  });
  sim.SetHandler("05", [state](const Request& r) {
    return state->trackSettingLine(&TrackSettings::endSentinel, r);
  });
  sim.SetHandler("06", [state](const Request& r) {
    return state->trackSettingLine(&TrackSettings::parityBit, r);
  });
  sim.SetHandler("070", [state](const Request& r) { return state->repeatCountLine(r); });
  sim.SetHandler("080", [state](const Request& r) { return state->normLine(r); });
  sim.SetHandler("410", [state](const Request& r) { return state->waitTimeLine(r); });
  sim.SetHandler("130", [state](const Request& r) { return state->coercivityLine('L', r); });
  sim.SetHandler("140", [state](const Request& r) { return state->coercivityLine('H', r); });
  sim.SetHandler("990", [](const Request& r) { return TextReply(r, 0, kVersionPayload); });
}

int CardLines::WriteTrack(char trackChar, const std::string& text) {
  return state_->write(trackChar, text);
}

int CardLines::ReadTrack(char trackChar, std::string* text) {
  return state_->read(trackChar, text);
}

std::string CardLines::Stripe(int track) const { return state_->card.Track(track); }

void CardLines::FailTrack(char trackChar, int status, int times) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (times == 0) {
    state_->faults.erase(trackChar);
  } else {
    state_->faults[trackChar] = {status, times};
  }
}

void CardLines::ClearTrackFaults() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->faults.clear();
}

char CardLines::Norm() const { return state_->card.Norm(); }

TrackSettings CardLines::Settings() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->settings;
}

std::string CardLines::BitMemory() const {
  const std::string memory = state_->card.BitMemory();
  return memory.empty() ? std::string(kBitMemoryBits, '0') : memory;
}

std::string CardLines::VersionText() const { return kVersionPayload + 1; }

}  // namespace readersim

// "ATMEL Card" commands: entry and eject, power on and off for the chosen
// card type, the write of the write range in chunks of at most 1024 bytes,
// the read of the read range into the grid, and the loop of them all.
//
// A command whose reply is awaited waits at most 5000 ms on a serial link, and
// over the network as long as the link waits for its line (up to 90 s from
// the send). A step whose reply did not come costs only itself
// (reply/ReplyTurns.h): the write goes on with its next chunk, the loop with
// its next step; the read fills nothing. A write ends on "ATMEL Card Write
// OK!!" only when every chunk was answered with success within its wait;
// otherwise on what its first failed chunk showed. A link that is closed or
// gone ends them all.
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Main.h"
#include "gui/GuiThread.h"
#include "gui/MessageDialogs.h"
#include "gui/RadioGroup.h"
#include "link/link.h"
#include "pages/AtmelCardTypes.h"
#include "pages/AtmelGrid.h"
#include "pages/AtmelGridModel.h"
#include "pages/TestSteps.h"
#include "platform/tick.h"
#include "reply/MainState.h"
#include "reply/StatusMessages.h"

namespace {

constexpr uint32_t kAtmelReplyMs = 5000;
constexpr uint32_t kLoopPauseMs = 1000;
constexpr int kChunkBytes = 1024;
// The network link hands over reply lines of at most 1024 bytes: status,
// echo, two characters a byte, CR and LF. A read over it asks for at most as
// many bytes as such a line holds, or every larger read would fail.
constexpr int kEthernetReadChunkBytes = (1024 - 3 - 2) / 2;

const char kCheckAddressText[] = "ADDRESS ERROR - Check the Start, End Address";
const char kStartAboveEndText[] = "ADDRESS ERROR - Start address is larger then End address";
const char kReadSizeText[] = "Read size is 1024, Read size Over";
const char kReadDataText[] = "ATMEL Card Read data error !!";

enum class Outcome { Done, Refused, Failed, NoReply, LinkLost };

uint32_t slice(uint32_t left) {
  return std::min<uint32_t>(left, static_cast<uint32_t>(platform::kWaitSliceMs));
}

// Sends one command and waits for its reply. While it waits, the write and
// the read keep the window painted (WaitEvents::NonInput); the loop also takes
// the operator's clicks ("break"): WaitEvents::All. A reply that did not come
// is said so on the status line.
StepResult sendAndWait(int commandId, int code, const std::string& data, WaitEvents what) {
  const StepResult result =
      exchangeTrackCommand({commandId, code, 0, reinterpret_cast<const uint8_t*>(data.data()),
                            static_cast<int>(data.size()), kAtmelReplyMs, what});
  if (result == StepResult::NoReply || result == StepResult::LinkDropped) {
    Form1->setPanelText(kNoReplyText);
  }
  return result;
}

// The loop's pause; false when the link closed meanwhile (Exit among them).
bool loopPause() {
  const uint32_t start = platform::TickCount();
  for (uint32_t left = kLoopPauseMs; left > 0; left = platform::TicksLeft(start, kLoopPauseMs)) {
    platform::SleepMs(slice(left));
    ProcessMessages();
    if (LinkMode == LINK_CLOSED) return false;
  }
  return true;
}

const AtmelCardType& chosenType(const TForm1* form) {
  return AtmelCardTypeAt(form->rgAtmel->itemIndex());
}

struct Range {
  int start;
  int end;
};

// The range of two address fields; false when a field holds
// fewer digits than the card's addresses have.
bool fieldRange(const QLineEdit* startField, const QLineEdit* endField, const AtmelCardType& type,
                Range& range) {
  const QString startText = startField->text();
  const QString endText = endField->text();
  if (startText.size() < type.addressDigits || endText.size() < type.addressDigits) return false;
  range.start = startText.toInt(nullptr, 16);
  range.end = endText.toInt(nullptr, 16);
  return true;
}

// Address text and count text of a chunk.
std::string chunkHead(int address, int count) {
  char head[16];
  std::snprintf(head, sizeof head, "%05X%03X", address, count);
  return head;
}

void showProgress(TForm1* form, int chunk, int chunks) {
  form->progAtmel->setValue((chunk + 1) * 100 / chunks);
}

Outcome atmelWrite(TForm1* form, WaitEvents what) {
  CommandId = 88;
  const AtmelCardType& type = chosenType(form);
  Range range{};
  if (!fieldRange(form->edStartWrite, form->edEndWrite, type, range)) {
    ShowMessage(kCheckAddressText);
    return Outcome::Refused;
  }
  if (range.start > range.end) {
    ShowMessage(kStartAboveEndText);
    return Outcome::Refused;
  }
  if (range.end >= type.bytes()) {
    ShowMessage(kCheckAddressText);
    return Outcome::Refused;
  }
  // Every cell of the range must hold a byte before anything goes out: a
  // chunk never carries fewer bytes than its count text says.
  std::string hex;
  if (!form->CollectGridHex(hex, range.start, range.end)) {
    const int address = range.start + static_cast<int>(hex.size() / 2);
    ShowMessage("DATA ERROR - No byte at address " +
                IntToHex(address, type.addressDigits).toStdString());
    return Outcome::Refused;
  }

  const int total = range.end - range.start + 1;
  const int chunks = (total + kChunkBytes - 1) / kChunkBytes;
  form->progAtmel->setValue(0);
  int address = range.start;
  const char* failure = nullptr;  // what the first chunk that failed showed
  for (int chunk = 0; chunk < chunks; ++chunk) {
    showProgress(form, chunk, chunks);
    const int count = std::min(kChunkBytes, range.start + total - address);
    const std::string request =
        chunkHead(address, count) +
        hex.substr(static_cast<size_t>(address - range.start) * 2, static_cast<size_t>(count) * 2);
    const int code = form->CheckBox7->isChecked() ? CMD_ATMEL_WRITE_VERIFY : CMD_ATMEL_WRITE;
    const StepResult result = sendAndWait(88, code, request, what);
    if (result == StepResult::LinkLost) return Outcome::LinkLost;
    if (!failure && result != StepResult::Answered) failure = kNoReplyText;
    if (!failure && ReplyStatus != 0) failure = ShownStatusMessage(ReplyStatus);
    address += count;
    platform::SleepMs(1);
  }
  if (!failure) return Outcome::Done;
  form->setPanelText(failure);
  return Outcome::Failed;
}

// The payload of the reply in ReplyBuffer: the text after the status digits
// and the echo character, without its line end.
std::string replyPayload() {
  const size_t length = strnlen(ReplyBuffer, sizeof ReplyBuffer);
  std::string payload = length > 3 ? std::string(ReplyBuffer + 3, length - 3) : std::string();
  while (!payload.empty() && (payload.back() == '\n' || payload.back() == '\r')) payload.pop_back();
  return payload;
}

bool isHexText(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

Outcome atmelRead(TForm1* form, WaitEvents what) {
  CommandId = 80;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  form->sgAtmelCells->clear();
  const AtmelCardType& type = chosenType(form);
  Range range{};
  if (!fieldRange(form->edStartRead, form->edEndRead, type, range)) {
    ShowMessage(kCheckAddressText);
    return Outcome::Refused;
  }
  if (static_cast<uint32_t>(range.end - range.start) > kChunkBytes) {
    ShowMessage(kReadSizeText);
    return Outcome::Refused;
  }
  if (range.end >= type.bytes()) {
    ShowMessage(kCheckAddressText);
    return Outcome::Refused;
  }

  const int total = range.end - range.start + 1;
  const int chunkBytes = LinkMode == LINK_ETHERNET ? kEthernetReadChunkBytes : kChunkBytes;
  const int chunks = (total + chunkBytes - 1) / chunkBytes;
  form->progAtmel->setValue(0);
  std::string readData;
  int address = range.start;
  for (int chunk = 0; chunk < chunks; ++chunk) {
    showProgress(form, chunk, chunks);
    const int count = std::min(chunkBytes, range.start + total - address);
    const StepResult result = sendAndWait(80, CMD_ATMEL_READ, chunkHead(address, count), what);
    if (result == StepResult::LinkLost) return Outcome::LinkLost;
    if (result != StepResult::Answered) return Outcome::NoReply;  // nothing stale is shown
    // An error status was shown by the reply handler; the grid stays blank.
    if (ReplyStatus != 0) return Outcome::Failed;
    // Only bytes the reader sent reach the grid: a payload of another length
    // or with other characters than hex digits adds nothing.
    const std::string payload = replyPayload();
    if (payload.size() != static_cast<size_t>(count) * 2 || !isHexText(payload)) {
      form->setPanelText(kReadDataText);
      return Outcome::Failed;
    }
    readData += payload;
    address += count;
  }

  std::vector<uint8_t> bytes(readData.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = HexPairValue(readData[2 * i], readData[2 * i + 1]);
  form->sgAtmelCells->setBytes(range.start, bytes);
  const QModelIndex cell = form->sgAtmelCells->index(range.start / 16, range.start % 16);
  form->sgAtmel->setCurrentIndex(cell);
  form->sgAtmel->scrollTo(cell);
  form->sgAtmel->setFocus();
  return Outcome::Done;
}

// A power command of the card type chosen now.
std::string typeCharData(const TForm1* form) {
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  TxBuffer[0] = chosenType(form).typeChar;
  return std::string(1, TxBuffer[0]);
}

}  // namespace

void TForm1::Button18Click() { Button28Click(); }

void TForm1::Button34Click() { Button11Click(); }

void TForm1::Button37Click() {
  const std::string data = typeCharData(this);
  CommandId = 81;
  SendCommand(CMD_ATMEL_POWER_ON, reinterpret_cast<const uint8_t*>(data.data()), 1);
}

void TForm1::Button38Click() {
  CommandId = 82;
  SendCommand(CMD_ATMEL_POWER_OFF, nullptr, 0);
}

void TForm1::btnAtEntryClick() { Button18Click(); }
void TForm1::btnAtEjectClick() { Button34Click(); }
void TForm1::btnAtmelPwronClick() { Button37Click(); }
void TForm1::btnAtmelPwroffClick() { Button38Click(); }

void TForm1::Button41Click() {
  watchLinkButtons();
  atmelWrite(this, WaitEvents::NonInput);
}

void TForm1::Button42Click() {
  watchLinkButtons();
  atmelRead(this, WaitEvents::NonInput);
}

// Entry, power on, write, read and power off, pass after pass, until "break"
// (any test's Break) or until the link closes or goes.
void TForm1::Button45Click() {
  StartButtonsLock running({Button45});
  BreakFlag = 0;
  watchLinkButtons();
  const auto stepThenPause = [](int commandId, int code, const std::string& data) {
    return sendAndWait(commandId, code, data, WaitEvents::All) != StepResult::LinkLost &&
           loopPause();
  };
  bool linked = true;
  do {
    if (CheckBox9->isChecked()) {
      HexDumpFlag = 1;
      linked = stepThenPause(50, CMD_IC_ENTRY, std::string());
      if (!linked) break;
    }
    if (BreakFlag) break;
    linked = stepThenPause(81, CMD_ATMEL_POWER_ON, typeCharData(this));
    if (!linked || BreakFlag) break;
    linked = atmelWrite(this, WaitEvents::All) != Outcome::LinkLost;
    ProcessMessages();
    linked = linked && loopPause();
    if (!linked || BreakFlag) break;
    linked = atmelRead(this, WaitEvents::All) != Outcome::LinkLost;
    ProcessMessages();
    linked = linked && loopPause();
    if (!linked || BreakFlag) break;
    linked = stepThenPause(82, CMD_ATMEL_POWER_OFF, typeCharData(this));
  } while (linked && !BreakFlag);
  if (!linked) showLinkLost();
}

void TForm1::Button46Click() {
  BreakFlag = 1;
  setPanelText("Test Breaked...");
}

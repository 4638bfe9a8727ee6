// The console's reply handler (ReceiveCallback) over the Ethernet path, on
// the real main window with the offscreen platform: a loopback peer answers
// each command with the input's reply line, whatever its bytes.
// - A line of at most 1024 bytes is handled (ResponseEvent signalled) and
//   ReplyBuffer holds it up to its first NUL; a longer one is not handled.
// - A reply echoing another character than the command is dropped, the next line handled.
// - The status is the number in the line's first two characters.
// - The hex dump shows "%02X " per character of the reply, cut to 341, and
//   the payload text behind it; the flag is cleared.
// - A failed read-test reply counts one error on its track only.
// - The network settings read back show the octets and port of the reply's
//   hexadecimal pairs in decimal, and its MAC pairs as received; settings
//   whose characters did not all come before the line end keep their text.
#include <sys/socket.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ConsoleWindows.h"
#include "Main.h"
#include "ZUV_ETHERNET.h"
#include "fuzz_check.h"
#include "link_peer.h"
#include "gui/ConsoleApplication.h"
#include "link/link.h"
#include "platform/message_box.h"
#include "reply/MainState.h"

// Qt comes from the system, built without ThreadSanitizer: reports from calls
// made inside it are left out (see the console tests). Read only by a TSan
// build.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
// The font library keeps a cache of its own that it never frees; libFuzzer's
// leak check after an input that first lays out text would report it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

constexpr size_t kLongestLine = 1024;
constexpr size_t kHexDumpChars = 341;
// The ids the reply handler tells apart; an input byte picks one.
constexpr int kCommandIds[] = {0,  1,  2,  4,   5,  6,  7,  8,    12,   13,  14, 15, 16,
                               17, 18, 19, 20,  21, 22, 23, 24,   25,   26,  27, 28, 30,
                               31, 32, 33, 34,  41, 50, 51, 52,   53,   70,  71, 80, 81,
                               82, 88, 99, 100, 3,  9,  29, 3030, 3031, 4242};

int peer = -1;

void ignoreMessage(const char*) {}

void connectPeer() {
  LoopbackListener listener;
  peer = ConnectLinkToPeer(listener);
}

// The commands the console sent: read and dropped, so the socket never fills.
void drainCommands() {
  char discarded[4096];
  while (::recv(peer, discarded, sizeof discarded, MSG_DONTWAIT) > 0) {
  }
}

void sendLine(const std::string& line) {
  for (size_t sent = 0; sent < line.size();) {
    const ssize_t count = ::send(peer, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    require(count > 0, "the peer sends the reply");
    sent += static_cast<size_t>(count);
  }
}

std::string latin1(const QString& text) { return text.toLatin1().toStdString(); }

void resetState(int id, uint8_t flags) {
  ResponseFlag = 0;
  HexDumpFlag = flags & 1;
  ErrorCount1 = ErrorCount2 = ErrorCount3 = ErrorCountTimeLox = 0;
  WriteErrorFlag = 0;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  TxBuffer[0] = static_cast<char>('0' + (flags >> 1) % 6);
  LinkMode = LINK_ETHERNET;
  FramingMode = 0;
  CommandId = id;
}

void checkHexDump(const std::string& text) {
  std::string expected;
  for (size_t i = 0; i < text.size() && i < kHexDumpChars; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(text[i]));
    expected += pair;
  }
  require(latin1(Form1->Memo10->toPlainText()) == expected, "hex dump of the reply");
  // The memo keeps line ends its own way: compare with an edit given the payload.
  const std::string payload = text.size() > 3 ? text.substr(3) : std::string();
  static QPlainTextEdit* shownAlone = new QPlainTextEdit;
  shownAlone->setPlainText(QString::fromLatin1(payload.c_str()));
  require(Form1->Memo9->toPlainText() == shownAlone->toPlainText(),
          "payload text behind the hex dump");
  require(HexDumpFlag == 0, "the hex dump is shown once");
}

void checkReadTestError(const std::string& text) {
  const char track = text.size() > 2 ? text[2] : '\0';
  const std::array<int, 4> counts = {ErrorCount1, ErrorCount2, ErrorCount3, ErrorCountTimeLox};
  for (int i = 0; i < 4; ++i) {
    require(counts[i] == (track == '1' + i ? 1 : 0), "a failed read counts one error on its track");
  }
}

bool isHexDigit(char c) { return std::strchr("0123456789ABCDEFabcdef", c) != nullptr && c != '\0'; }

std::array<QLineEdit*, 23> netSettingsEdits() {
  return {Form1->eMac1,    Form1->eMac2,    Form1->eMac3,    Form1->eMac4,  Form1->eMac5,
          Form1->eMac6,    Form1->eIP1,     Form1->eIP2,     Form1->eIP3,   Form1->eIP4,
          Form1->eGate1,   Form1->eGate2,   Form1->eGate3,   Form1->eGate4, Form1->eSubnet1,
          Form1->eSubnet2, Form1->eSubnet3, Form1->eSubnet4, Form1->eDns1,  Form1->eDns2,
          Form1->eDns3,    Form1->eDns4,    Form1->eEPort};
}

std::array<std::string, 23> netSettingsTexts() {
  std::array<std::string, 23> texts;
  const auto edits = netSettingsEdits();
  for (size_t i = 0; i < texts.size(); ++i) texts[i] = latin1(edits[i]->text());
  return texts;
}

// Only settings whose characters all came before the line's end are shown;
// the rest keep what they showed.
void checkNetSettings(const std::string& text, const std::array<std::string, 23>& before) {
  const size_t received = std::min(text.find_first_of("\r\n"), text.size());
  const auto came = [received](size_t position, size_t length) {
    return position + length <= received;
  };
  const std::array<std::string, 23> after = netSettingsTexts();
  bool shortened = false;
  for (size_t field = 0; field < 23; ++field) {
    const size_t position = 3 + 2 * field;
    const size_t length = field == 22 ? 4 : 2;
    if (shortened || !came(position, length)) {
      shortened = true;
      require(after[field] == before[field], "a setting that did not come keeps its text");
      continue;
    }
    const std::string chars = text.substr(position, length);
    if (field < 6) {
      require(after[field] == chars, "MAC pair as received");
    } else if (std::all_of(chars.begin(), chars.end(), isHexDigit)) {
      require(after[field] == std::to_string(std::stoul(chars, nullptr, 16)),
              field < 22 ? "octet in decimal" : "port in decimal");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static ConsoleApplication* application = new ConsoleApplication(*argc, *argv);
  createConsoleWindows(*application);
  platform::SetMessageBoxHook(ignoreMessage);
  connectPeer();
  SetReceiveCallback(ReceiveCallback);
  return 0;
}

// Input: the command id's index, flags (bit 0 the hex dump, then the track
// character of a write test; bit 7: the command's echo is not the reply's),
// then the reply; its first LF ends it, and an LF is added behind.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 2) return 0;
  const int id = kCommandIds[input[0] % (sizeof kCommandIds / sizeof kCommandIds[0])];
  const bool hexDump = input[1] & 1;
  std::string line(reinterpret_cast<const char*>(input + 2), size - 2);
  line = line.substr(0, line.find('\n')) + "\n";
  // The reply as handled (up to a NUL); bit 7: the command echoes another
  // character, so the reply is dropped and the line sent after it handled.
  std::string text = line.substr(0, std::strlen(line.c_str()));
  const bool carriesEcho = text.size() > 2 && text[2] != '\r' && text[2] != '\n';
  const bool otherEcho = carriesEcho && (input[1] & 0x80) != 0;
  const uint8_t echo = !carriesEcho ? '0' : !otherEcho ? text[2] : text[2] == '0' ? '1' : '0';
  const std::string sent = otherEcho ? line + "00" + static_cast<char>(echo) + "\n" : line;
  if (otherEcho) text = sent.substr(line.size());

  resetState(id, input[1]);
  const std::array<std::string, 23> settingsBefore = netSettingsTexts();
  ResponseEvent.Create();
  std::thread answering([&sent] {
    char command[64];
    require(::recv(peer, command, sizeof command, 0) > 0, "the command came");
    sendLine(sent);
  });
  const int result = SendCommand(CMD_IC_POWER_ON, &echo, 1);
  answering.join();
  drainCommands();
  const bool handled = ResponseEvent.IsSignalled();
  ResponseEvent.Close();

  if (line.size() > kLongestLine) {
    require(result == -1 && !handled, "a line over 1024 bytes is not handled");
    return 0;
  }
  require(result == 1 && handled, "a line is handled");
  require(std::strlen(ReplyBuffer) == text.size() && text == ReplyBuffer,
          "ReplyBuffer holds the reply that answered");
  require(ReplyStatus == static_cast<int>(std::strtol(text.substr(0, 2).c_str(), nullptr, 10)),
          "status from the first two characters");
  if (hexDump) checkHexDump(text);
  const bool readTest = id >= 18 && id <= 28 && id % 2 == 0;
  if (readTest && ReplyStatus != 0) checkReadTestError(text);
  if (id == 3031 && ReplyStatus == 0) checkNetSettings(text, settingsBefore);
  return 0;
}

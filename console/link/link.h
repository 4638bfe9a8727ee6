// The console's link and command layer: command codes to reader lines and
// binary frames, the serial port with its receive thread, the Ethernet
// transaction, and the reading of one reply. Plain functions over
// module-level state; no Qt. Commands are sent from the GUI thread only; over
// serial the reply is read on the receive thread through the registered
// callback, over Ethernet inside SendCommand on the calling thread.
#pragma once
#include <atomic>
#include <cstdint>

// ---- link state --------------------------------------------------------------
constexpr int LINK_CLOSED = 0;
constexpr int LINK_SERIAL = 10;
constexpr int LINK_ETHERNET = 20;

extern std::atomic<int> LinkMode;     // starts LINK_ETHERNET
extern std::atomic<int> FramingMode;  // 0 text lines, 1 binary reply frames
constexpr int ReceiveTimeoutMs = 1000;
constexpr int StartOfAnswerTimeoutMs = 5000;
// How long the network link waits for a reply line (the library's bound).
constexpr uint32_t NetworkReplyTimeoutMs = 90000;
// A serial reply must be whole this long after its first byte: twice what the
// longest reply the buffer holds takes at 9600 baud.
constexpr int WholeReplyTimeoutMs = 10000;

constexpr int kLinkBufferSize = 4096;

// ---- command codes -----------------------------------------------------------
enum CommandCode : uint16_t {
  CMD_RAW_FRAME = 0x0000,
  CMD_NO_OPERATION = 0x1000,
  CMD_RESET = 0x1001,
  CMD_BOOT_JUMP = 0x1002,
  CMD_START_SENTINEL = 0x2000,
  CMD_END_SENTINEL = 0x2001,
  CMD_PARITY_BIT = 0x2002,
  CMD_REPEAT_COUNT = 0x2003,
  CMD_SET_NORM = 0x2004,
  CMD_CARD_IN = 0x3000,
  CMD_ENTRY_FRONT = 0x3001,
  CMD_EJECT_BACK = 0x3002,
  CMD_EJECT_FRONT = 0x3003,
  CMD_MOVE_BACK = 0x3004,
  CMD_MOVE_FRONT = 0x3005,
  CMD_NET_WRITE = 0x3030,
  CMD_NET_READ = 0x3031,
  CMD_LO_CO = 0x3300,
  CMD_HI_CO = 0x3400,
  CMD_READ_INSIDE_MOVE_BACK = 0x4000,
  CMD_READ_INSIDE_EJECT_BACK = 0x4001,
  CMD_READ_INSIDE_MOVE_FRONT = 0x4002,
  CMD_WRITE_INSIDE_EJECT_FRONT = 0x4003,
  CMD_WRITE_INSIDE_MOVE_BACK = 0x4004,
  CMD_WRITE_INSIDE_EJECT_BACK = 0x4005,
  CMD_WRITE_INSERT_EJECT_FRONT = 0x5000,
  CMD_WRITE_INSERT_EJECT_BACK = 0x5001,
  CMD_READ_INSERT_MOVE_BACK = 0x5002,
  CMD_READ_INSERT_EJECT_FRONT = 0x5003,
  CMD_READ_INSERT_EJECT_BACK = 0x5004,
  CMD_BITS_001_200 = 0x5005,
  CMD_BITS_201_400 = 0x6000,
  CMD_BITS_401_600 = 0x6001,
  CMD_BITS_601_800 = 0x6002,
  CMD_BITS_001_800 = 0x6003,
  CMD_WAIT_TIME = 0x6004,
  CMD_IC_ENTRY = 0x6005,
  CMD_IC_POWER_ON = 0x6006,
  CMD_IC_POWER_OFF = 0x6007,
  CMD_IC_DIRECT = 0x6008,
  CMD_VERSION = 0x6009,
  CMD_ATMEL_POWER_ON = 0x7000,
  CMD_ATMEL_POWER_OFF = 0x7001,
  CMD_ATMEL_READ = 0x7002,
  CMD_ATMEL_WRITE = 0x7003,
  CMD_ATMEL_WRITE_VERIFY = 0x7004,
};

// Prefix text of a table code ("" for CMD_RAW_FRAME), nullptr for any other value.
const char* CommandPrefix(int code);

// ---- command layer -----------------------------------------------------------
// Sends one command (code 0: `data` is the payload of a binary frame).
// 1 done, 0 link closed or write failed, -1 code outside the table, a command
// too long for the send buffer (prefix + data + CR LF, or the whole frame,
// over 4095 bytes; nothing is sent) or (over Ethernet) receive failure, -3
// time-out. CMD_NO_OPERATION on serial, and a frame on serial in text
// framing, then wait up to StartOfAnswerTimeoutMs for the reader to begin
// answering: 1 it did, -3 it did not (the reply itself still goes to the
// callback). A frame over Ethernet gives 1 whatever the line receive gave; a
// frame on a closed link, or whose serial write failed in binary framing, 0.
// A negative length, or null data, counts as no data. UI thread only.
int SendCommand(int code, const uint8_t* data, int length);
// Maps the code to its prefix, builds the line and sends it where LinkMode
// says, without any wait of its own. Results as SendCommand's.
int SendCommandCode(int code, const uint8_t* data, int length);
// Writes prefix + data + CR LF (prefix length 0: the data alone) into the send
// buffer; builds nothing when that would not fit with its NUL.
void BuildCommandText(const char* prefix, int prefixLength, const uint8_t* data, int length);
// The echo character of the reader's reply to this command: the third
// character of its line, '0' for a shorter line.
char CommandEcho(int code, const uint8_t* data, int length);
int ClearSendBuffer();  // zero-fills the send buffer, keeps its length; 0
uint16_t CalcCrc16(const uint8_t* data, int length);
uint8_t CalcXorCheck(const uint8_t* data, int length);

// The bytes of the last command built (for tests and diagnostics).
const uint8_t* LastSendBytes();
int LastSendLength();

// ---- reply bookkeeping -------------------------------------------------------
// Lets the console keep track of which command each reply answers.
// `beforeSend` runs on the sending thread at the start of every SendCommand
// and may wait. `counted` runs at the moment a command counts as sent (its
// count, CommandsSent(), its bytes, and how many milliseconds its last byte
// still takes to go out behind what is queued ahead of it; over serial under
// the port's input lock, so that no input is taken meanwhile) and says
// whether input already waiting may still answer an earlier command: false
// lets a serial write drop it. `lineAnsweredNothing`, asked after a network
// reply line was handled, says whether the line answered no command and the
// one sent last still waits for its own. Without an observer, nothing waits,
// waiting input is dropped and every line is taken.
struct SendObserver {
  void (*beforeSend)() = nullptr;
  bool (*counted)(uint32_t command, const uint8_t* bytes, int length,
                  uint32_t goesOutInMs) = nullptr;
  bool (*lineAnsweredNothing)() = nullptr;
};
void SetSendObserver(const SendObserver& observer);

// ---- link layer --------------------------------------------------------------
using ReceiveCallbackType = int (*)(int, int);

// Opens "COMn" (platform::ComPortDevice) at `baud`, 8N1, and starts the
// receive thread. LinkMode becomes serial whatever the outcome; false when
// the port cannot be opened or set up.
bool OpenSerialPort(int port, int baud);
// Closes the port (if open) and stops its receive thread, waiting for it
// unless called from the callback on that thread (the callback must never
// wait for the closing thread; every wait inside ReceiveResponse ends at
// once when the port closes). LinkMode becomes closed. Always true. A
// program that ends with the port open closes it on the way out.
bool CloseSerialPort();
int SetReceiveCallback(ReceiveCallbackType callback);  // 1
// True while a port is open and its device is still there (its receive
// thread runs); false once the port is closed or the device has gone.
bool SerialPortAlive();
// Writes behind whatever earlier command is still going out (nothing unsent
// is ever discarded); unread input is discarded first unless an earlier
// command is still owed a reply (SendObserver). 1 written, 0 failed (no
// port, device error, or 2 ms per byte + 100 ms passed).
int SerialWrite(const uint8_t* buffer, int length);
// 0 nothing waiting; otherwise reads up to `count` bytes (until the line is
// quiet for 100 ms) and returns 1.
int SerialRead(uint8_t* buffer, int count);
// Sends over the network link and reads the reply line; when one came, calls
// the registered callback before returning. The line receive's result; 0 when
// the send failed even after the library's reconnect (nothing went out, so
// no reply is read).
int EthernetTransact(const uint8_t* buffer, int length);
// Reads the next reply line over the network link and calls the registered
// callback before returning: with the line when one came, and also when none
// came within the link's bound (ReceiveResponse then gives -3), so that a
// command whose reply never comes says so. A line that answered nothing
// (SendObserver) is followed by the next, within the one bound that runs
// from the send; after that, no reply came (-3). The last line receive's
// result.
int EthernetReceiveReply();
// Commands sent so far on either link (it wraps). A serial write counts under
// the port's input lock, before its bytes go out; a network send before it
// goes out.
uint32_t CommandsSent();
// The count of commands sent when the reply that ReceiveResponse delivered
// last on this thread began to arrive: the reply can answer only commands
// counted up to that value.
uint32_t ReplyStamp();
// The tick count at which that reply began to arrive (over the network: at
// which its line was handed over).
uint32_t ReplyBeganAt();
// Reads one reply into `text` (room for kLinkBufferSize bytes and a NUL) and,
// for text replies of two bytes or more, its StatusCode into `status`.
// 1 read, -1 abandoned with Esc before the first byte, -3 no first byte
// within ReceiveTimeoutMs, no further byte for ReceiveTimeoutMs once a reply
// began, a reply not whole WholeReplyTimeoutMs after its first byte (however
// fast its bytes keep coming), a reply longer than kLinkBufferSize bytes (read to its end and
// dropped), the port closing or gone, or (network) no line within the
// link's bound; 0 with the link closed (nothing read). On every result but 1 the outputs are left as they were. A binary
// reply frame delivers its data (from its fourth byte) and no status.
int ReceiveResponse(char* text, int* status);
bool CheckEscape();

// StatusCode of a reply's first two characters (strtol-like: blanks, sign,
// digits; no digits give 0).
int StatusCodeOf(const char* twoChars);

// The GUI installs a check for a pending Esc key press of the calling thread;
// without one, CheckEscape reports no key.
using EscapeHook = bool (*)();
void SetEscapeHook(EscapeHook hook);

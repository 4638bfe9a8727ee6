// The reply handler: reads each reply through the link layer and turns it into
// a message, a memo text, button states or counted test errors, then releases
// the waiting handler through ResponseFlag and ResponseEvent.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>
#include <cstring>

#include "gui/GuiThread.h"
#include "Main.h"
#include "reply/MainState.h"
#include "reply/NetSettingsReply.h"
#include "reply/StatusMessages.h"
#include "reply/ReplyTurns.h"
#include "link/link.h"

namespace {

// The command whose reply this thread is handling: ShowStatus counts a test
// error for it only when the reply was taken as its own. Texts of other
// handlers (a link closed during a test) and replies that name no track count
// for no track.
thread_local const AnsweredCommand* handledCommand = nullptr;
thread_local bool replyMayCount = false;

// The reply this thread is handling, as it was read. Over the network a click
// handled in one of the handler's message pumps sends its command, whose reply
// is handled inside this one and written to ReplyBuffer: the handler puts its
// own reply back before it goes on, so that it, and the handler waiting for
// it, finish with their own reply.
struct HandledReply {
  const char* text;
  int status;
};
thread_local const HandledReply* handledReply = nullptr;
thread_local uint32_t replyWrites = 0;

void writeReply(const char* text, int status) {
  std::memset(ReplyBuffer, 0, sizeof ReplyBuffer);
  std::memcpy(ReplyBuffer, text, kLinkBufferSize + 1);
  ReplyStatus = status;
  ++replyWrites;
}

// The handler's process-pending-messages.
void pump() {
  const uint32_t writes = replyWrites;
  ProcessMessages();
  if (handledReply && replyWrites != writes) writeReply(handledReply->text, handledReply->status);
}

bool isReadTestId(int id) { return id >= 18 && id <= 28 && id % 2 == 0; }
bool isWriteTestId(int id) { return id >= 19 && id <= 27 && id % 2 == 1; }

// The reply as hex pairs, "%02X " each. The text is built in 1024 bytes, so a
// reply of more than 341 characters is shown cut to its first 341.
std::string hexDumpText(const char* reply) {
  char text[1024] = {};
  size_t used = 0;
  for (const char* c = reply; *c != '\0' && used + 3 < sizeof text; ++c) {
    std::snprintf(text + used, sizeof text - used, "%02X ", static_cast<unsigned char>(*c));
    used += 3;
  }
  return text;
}

// The positive table's plain messages.
const char* positiveMessage(int id) {
  switch (id) {
    case 0: return "No Operation OK !!";
    case 1: return "Reset OK !!";
    case 4: return "Start sentinel setting OK !!";
    case 5: return "End sentinel setting OK !!";
    case 6: return "Set bit sign, including parity OK !!";
    case 7: return "Repeat count setting OK !!";
    case 8: return "Set norm OK !!";
    case 12: return "Card in MSRW OK !!";
    case 13: return "LO Co Select OK !!";
    case 14: return "HI Co Select OK !!";
    case 16: return "Entry Card OK !!";
    case 17: return "Eject Card front OK !!";
    case 41: return "Waiting time setting OK!!";
    case 50: return "IC Card Entry OK!!";
    case 51: return "IC Card Power ON OK!!";
    case 52: return "IC Card Power OFF OK!!";
    case 53: return "IC Card Direct Command OK!!";
    case 70: return "Move Card back OK !!";
    case 71: return "Move Card front OK !!";
    case 81: return "ATMEL Card Power ON OK!!";
    case 82: return "ATMEL Card Power OFF OK!!";
    case 3030: return "Ethernet Write ok !!";
    default: return nullptr;
  }
}

const char* bitMemoryMessage(int id) {
  switch (id) {
    case 30: return "Bits 001-200, Memory of last read...";
    case 31: return "Bits 201-400, Memory of last read...";
    case 32: return "Bits 401-600, Memory of last read...";
    case 33: return "Bits 601-800, Memory of last read...";
    case 34: return "Bits 001-800, Memory of last read...";
    default: return nullptr;
  }
}

QPlainTextEdit* trackMemo(TForm1* form, char track) {
  switch (track) {
    case '1': return form->Memo1;
    case '2': return form->Memo2;
    case '3': return form->Memo3;
    case '4': return form->Memo8;
    default: return nullptr;
  }
}

std::atomic<int32_t>* trackErrorCount(char track) {
  switch (track) {
    case '1': return &ErrorCount1;
    case '2': return &ErrorCount2;
    case '3': return &ErrorCount3;
    case '4': return &ErrorCountTimeLox;
    default: return nullptr;
  }
}

void handleErrorReply(TForm1* form, int id) {
  int status = ReplyStatus;
  if (isReadTestId(id)) {
    status = RemapReadStatus(status);
    ResponseFlag = 1;
  }
  if (isWriteTestId(id)) ResponseFlag = 1;
  form->ShowStatus(ShownStatusMessage(status));
  if (!StatusMessage(status)) ResponseFlag = 1;  // a status without a message of its own
}

void handlePositiveReply(TForm1* form, int id) {
  if (const char* message = positiveMessage(id)) {
    form->ShowStatus(message);
    return;
  }
  if (const char* message = bitMemoryMessage(id)) {
    form->setMemoText(form->Memo4, ReplyBuffer);
    form->ShowStatus(message);
    pump();
    return;
  }
  if (isReadTestId(id)) {
    if (QPlainTextEdit* memo = trackMemo(form, ReplyBuffer[2])) {
      form->setMemoText(memo, ReplyBuffer);
      pump();
      ResponseFlag = 1;
    }
    ResponseEvent.Signal();
    return;
  }
  if (isWriteTestId(id)) {
    ResponseFlag = 1;
    ResponseEvent.Signal();
    return;
  }
  switch (id) {
    case 2:
      form->ShowStatus("F/W Down Load mode Ok");
      form->enterBootModeButtons();
      BootMode = 1;
      FramingMode = 1;
      return;
    case 15:
      SetReceiveCallback(ReceiveCallback);
      form->ShowStatus("Eject Card back OK !!(Please Remove the Card )");
      return;
    case 80:
      form->ShowStatus("ATMEL Card Read OK!!");
      ResponseEvent.Signal();
      return;
    case 88:
      form->ShowStatus("ATMEL Card Write OK!!");
      ResponseEvent.Signal();
      return;
    case 99:
      form->ShowStatus(ReplyBuffer + 4);
      return;
    case 100:
      form->ShowStatus(ReplyBuffer + 1);
      return;
    case 3031:
      form->ShowStatus("Ethernet Read ok !!");
      form->showNetSettings(NetSettingsFromReply(ReplyBuffer));
      return;
    default:
      form->ShowStatus("Unknown positive response");
  }
}

// A reply that never came (-3) or was abandoned with Esc (-1) is not a reply:
// it is said so on the status line instead of being taken for a positive one.
void handleMissingReply(TForm1* form, int result) {
  form->setPanelText(result == -1 ? "Reply abandoned (Esc) !!" : "No reply from the reader !!");
}

}  // namespace

int ReceiveCallback(int, int) {
  TForm1* form = Form1;
  // Read apart first, into a buffer of this call's own, before pending clicks
  // are handled: over the network a click sends a command whose reply is
  // handled inside this one, and a reply that is dropped must not touch what
  // a waiting handler reads from ReplyBuffer and ReplyStatus. Clicks are
  // handled before this reply is written there, so that the reply of a
  // command clicked meanwhile cannot take its place.
  char reply[kLinkBufferSize + 1] = {};
  int status = 0;
  const bool binaryFrame = LinkMode == LINK_SERIAL && FramingMode == 1;
  const int result = ReceiveResponse(reply, &status);
  if (result != 1) {
    handleMissingReply(form, result);
    // Over serial the waiting handler learns only from the event that the
    // read has ended. Over the network it called SendCommand itself and has
    // its result.
    if (LinkMode != LINK_ETHERNET) {
      ResponseEvent.Signal();
    } else if (result == -3) {
      EndNetworkLineWait();
    }
    pump();
    return 1;
  }
  // A reply that ends before its third character carries no echo.
  const bool noEcho = binaryFrame || std::strchr("\r\n", reply[2]) != nullptr;
  const ReplyHandling handling(ReplyStamp(), ReplyBeganAt(), noEcho ? '\0' : reply[2]);
  if (handling.fit() == ReplyFit::Dropped) return 1;  // late, extra or owed to nobody: unseen
  pump();
  writeReply(reply, status);
  const AnsweredCommand& command = handling.command();
  const AnsweredCommand* const outerCommand = handledCommand;
  const bool outerMayCount = replyMayCount;
  const HandledReply* const outerReply = handledReply;
  const HandledReply ownReply{reply, status};
  handledCommand = &command;
  replyMayCount = handling.fit() == ReplyFit::Taken;
  handledReply = &ownReply;
  const int id = command.commandId;

  if (command.hexDump) {
    form->setMemoText(form->Memo10, hexDumpText(ReplyBuffer));
    form->setMemoText(form->Memo9, ReplyBuffer + 3);
    pump();
  }

  if (ReplyStatus != 0) {
    handleErrorReply(form, id);
  } else {
    handlePositiveReply(form, id);
  }
  pump();
  handledCommand = outerCommand;
  replyMayCount = outerMayCount;
  handledReply = outerReply;
  ResponseEvent.Signal();
  return 1;
}

void TForm1::ShowStatus(const std::string& message) {
  const int id = handledCommand ? handledCommand->commandId : CommandId.load();
  if (id >= 18 && id <= 28 && replyMayCount) {
    if (id % 2 == 0) {
      const char track = ReplyBuffer[2];
      if (std::atomic<int32_t>* count = trackErrorCount(track)) {
        ++*count;
        setMemoText(trackMemo(this, track), message);
        pump();
      }
    } else {
      if (std::atomic<int32_t>* count = trackErrorCount(handledCommand->txTrack)) {
        WriteErrorFlag = 1;
        WriteErrorText.Set(message);
        ++*count;
      }
    }
    ResponseEvent.Signal();
  } else {
    setPanelText(message);
  }
  pump();
}

void TForm1::setPanelText(const std::string& text) {
  runOnGuiThread(this, [this, text] { Panel1->setText(QString::fromLatin1(text.c_str())); });
}

void TForm1::setMemoText(QPlainTextEdit* memo, const std::string& text) {
  runOnGuiThread(this, [memo, text] { memo->setPlainText(QString::fromLatin1(text.c_str())); });
}

void TForm1::enterBootModeButtons() {
  runOnGuiThread(this, [this] {
    btnBoot->setEnabled(false);
    btnFile->setEnabled(true);
    btnApp->setEnabled(true);
    btnBootVer->setEnabled(true);
  });
}

// The IC card loop: card entry (when CheckBox8 is ticked), ISO power-on, one
// fixed direct command and power-off, over and over until "Break". Each step
// waits for its reply at most 5000 ms and pauses 1000 ms; every reply is
// dumped to Memo10 and Memo9. The loop runs inside its button's click handler
// on the GUI thread and handles the window's events after each wait.
#include <QCheckBox>
#include <QPushButton>

#include <cstring>

#include "Main.h"
#include "gui/GuiThread.h"
#include "link/link.h"
#include "pages/IcCardLoop.h"
#include "pages/TestSteps.h"
#include "reply/LateReplies.h"
#include "reply/MainState.h"

uint8_t IcLoopBreak = 0;

namespace {

constexpr uint32_t kIcReplyMs = 5000;
constexpr uint32_t kIcPauseMs = 1000;

struct IcLoopStep {
  bool entry;  // the entry step, run only while CheckBox8 is ticked
  int commandId;
  int commandCode;
  const char* data;
};

const IcLoopStep kSteps[] = {
    {true, 50, CMD_IC_ENTRY, ""},
    {false, 51, CMD_IC_POWER_ON, "0"},
    {false, 53, CMD_IC_DIRECT, "80BE00001C"},
    {false, 52, CMD_IC_POWER_OFF, ""},
};

// Sends the step's command, waits for its reply, handles the window's events
// and pauses. False when the command could not go out (the link is closed, a
// serial write failed, or over Ethernet no reply line could be read): the
// link is gone and the loop ends without the pause.
bool runStep(const IcLoopStep& step) {
  HexDumpFlag = 1;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  const int length = static_cast<int>(std::strlen(step.data));
  std::memcpy(TxBuffer, step.data, static_cast<size_t>(length));
  CommandId = step.commandId;
  ResponseEvent.Create();
  IcLoopReplies.StepSent();
  const bool sent =
      SendCommand(step.commandCode, reinterpret_cast<const uint8_t*>(TxBuffer), length) == 1;
  if (sent) {
    waitForResponseEvent(kIcReplyMs);
  } else {
    HexDumpFlag = 0;  // no reply is coming to take it
  }
  IcLoopReplies.StepEnded();
  ResponseEvent.Close();
  ProcessMessages();
  if (sent) pauseTest(kIcPauseMs);
  return sent;
}

}  // namespace

void TForm1::Button35Click() {
  IcLoopBreak = 0;
  StartButtonsLock running({Button53, Button35});  // no second loop inside this one
  IcLoopReplies.Start();
  // A closed main window ends the program as " Exit" does.
  const auto stopped = [this] { return IcLoopBreak != 0 || !isVisible(); };
  bool linked = true;
  while (linked && !stopped()) {
    for (const IcLoopStep& step : kSteps) {
      if (step.entry && !CheckBox8->isChecked()) continue;
      if (stopped()) break;
      linked = runStep(step);
      if (!linked) break;
    }
  }
  IcLoopReplies.Stop();
  if (!linked) setPanelText("IC Card loop ended: no link to the reader !!");
}

void TForm1::Button36Click() {
  IcLoopBreak = 1;
  setPanelText("Test Breaked...");
}

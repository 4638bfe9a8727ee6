// The IC card loop: card entry (when CheckBox8 is ticked), ISO power-on, one
// fixed direct command and power-off, over and over until "Break". Each step
// waits for its reply at most 5000 ms and pauses 1000 ms; every reply is
// dumped to Memo10 and Memo9. A step whose reply does not come costs only
// itself: the loop goes on. The loop runs inside its button's click handler
// on the GUI thread and handles the window's events after each wait.
#include <QCheckBox>
#include <QPushButton>

#include <cstring>

#include "Main.h"
#include "gui/GuiThread.h"
#include "link/link.h"
#include "pages/IcCardLoop.h"
#include "pages/TestSteps.h"
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
// and pauses. False when the link is gone or broke: the loop ends without the
// pause.
bool runStep(const IcLoopStep& step) {
  HexDumpFlag = 1;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  const int length = static_cast<int>(std::strlen(step.data));
  std::memcpy(TxBuffer, step.data, static_cast<size_t>(length));
  const StepResult result =
      exchangeTrackCommand({step.commandId, step.commandCode, 0,
                            reinterpret_cast<const uint8_t*>(TxBuffer), length, kIcReplyMs});
  if (result == StepResult::NoReply) Form1->setPanelText(kNoReplyText);
  ProcessMessages();
  // A network connection that broke ends the loop too, as no reply line could be read.
  if (result == StepResult::LinkLost || result == StepResult::LinkDropped) return false;
  pauseTest(kIcPauseMs);
  return true;
}

}  // namespace

void TForm1::Button35Click() {
  IcLoopBreak = 0;
  watchLinkButtons();
  StartButtonsLock running({Button53, Button35});  // no second loop inside this one
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
  if (!linked) setPanelText("IC Card loop ended: no link to the reader !!");
}

void TForm1::Button36Click() {
  IcLoopBreak = 1;
  setPanelText("Test Breaked...");
}

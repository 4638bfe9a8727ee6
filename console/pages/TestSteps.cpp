#include "pages/TestSteps.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "Main.h"
#include "gui/GuiThread.h"
#include "gui/StrToInt.h"
#include "link/link.h"
#include "platform/tick.h"
#include "reply/MainState.h"
#include "reply/ReplyTurns.h"

const char kNoReplyText[] = "No reply from the reader !!";
const char kNoTrackText[] = "Reply names no track !!";

namespace {

// Set by the link buttons; cleared at the start of each run.
std::atomic<bool> linkClosedByOperator{false};

uint32_t slice(uint32_t left) {
  return std::min<uint32_t>(left, static_cast<uint32_t>(platform::kWaitSliceMs));
}

bool linkGone() {
  if (linkClosedByOperator) return true;
  switch (LinkMode.load()) {
    case LINK_SERIAL: return !SerialPortAlive();
    case LINK_ETHERNET: return false;  // known only from the send (see below)
    default: return true;
  }
}

void handleEvents(WaitEvents events) {
  if (events == WaitEvents::All) {
    ProcessMessages();
  } else {
    ProcessNonInputEvents();
  }
}

// Waits until the reply handler has dealt with the step's reply, the link has
// gone or `boundMs` has passed. The handler signals ResponseEvent after every
// reply it handles, failed reads included, so the event only wakes the wait;
// whether the step was answered is the reply turn's to say. Once signalled
// the event stays so; the wait then sleeps its slices instead.
StepResult waitForSerialReply(uint32_t command, uint32_t start, uint32_t boundMs,
                              WaitEvents events) {
  for (;;) {
    if (ReplyTurnAnswered(command)) return StepResult::Answered;
    if (linkGone()) return StepResult::LinkLost;
    const uint32_t left = platform::TicksLeft(start, boundMs);
    if (left == 0) return StepResult::NoReply;
    if (ResponseEvent.IsSignalled()) {
      platform::SleepMs(slice(left));
    } else {
      ResponseEvent.Wait(slice(left));
    }
    handleEvents(events);
  }
}

// Over Ethernet SendCommand has read and handled the step's reply line (after
// any line that answered nothing).
StepResult ethernetResult(uint32_t command, int sent, uint32_t start) {
  if (ReplyTurnAnswered(command)) return StepResult::Answered;
  if (sent == 1) return StepResult::NoReply;
  // A receive that failed before the link's bound ended because the
  // connection broke, not because the reader was slow.
  if (sent == -1 || (sent == -3 && platform::TicksLeft(start, NetworkReplyTimeoutMs) > 0)) {
    return StepResult::LinkDropped;
  }
  return StepResult::NoReply;
}

}  // namespace

const char* countedStepError(StepResult result) {
  switch (result) {
    case StepResult::NoReply: return kNoReplyText;
    case StepResult::NoTrackNamed: return kNoTrackText;
    default: return nullptr;
  }
}

StepResult exchangeTrackCommand(const TrackStep& step) {
  // After a step whose reply did not come, its reply may still be on its way:
  // it must come while no command waits, so the next command holds back.
  WaitOutLateReply(linkGone, [&step] { handleEvents(step.events); });
  if (linkGone()) return StepResult::LinkLost;
  ResponseFlag = 0;
  ResponseEvent.Create();
  CommandId = step.commandId;
  const bool trackStep = step.trackChar != 0;
  AwaitNextCommand(
      trackStep ? step.trackChar : CommandEcho(step.commandCode, step.data, step.length), trackStep);
  const uint32_t start = platform::TickCount();
  const int sent = SendCommand(step.commandCode, step.data, step.length);
  const uint32_t command = AwaitedCommand();
  StepResult result;
  if (sent == 0 || command == 0 || linkClosedByOperator) {
    result = StepResult::LinkLost;  // nothing went out, or the operator closed the link
  } else if (LinkMode == LINK_ETHERNET) {
    result = ethernetResult(command, sent, start);
  } else {
    result = waitForSerialReply(command, start, step.boundMs, step.events);
  }
  const bool linkWent = result == StepResult::LinkLost || result == StepResult::LinkDropped;
  // Read once the turn has ended: a reply handled at the bound is counted once.
  const TurnOutcome outcome = EndReplyTurn(command, !linkWent);
  if (result == StepResult::NoReply && outcome.answered) result = StepResult::Answered;
  if (result == StepResult::NoReply && outcome.unnamedSeen) result = StepResult::NoTrackNamed;
  ResponseEvent.Close();
  return result;
}

uint32_t trackReplyBound(bool insertCard, bool timeLox) {
  if (insertCard) return kInsertCardReplyMs;
  return timeLox ? kTimeLoxReplyMs : kTrackReplyMs;
}

void endRunsOnLinkClose() {
  linkClosedByOperator = true;
  ForgetOwedReplies();
}

void watchLinkButtons() { linkClosedByOperator = false; }

bool linkClosedByOperatorDuringRun() { return linkClosedByOperator; }

void showLinkLost() { Form1->setPanelText("Link to the reader lost !!"); }

void pauseTest(uint32_t ms) {
  const uint32_t start = platform::TickCount();
  for (uint32_t left = ms; left > 0; left = platform::TicksLeft(start, ms)) {
    platform::SleepMs(slice(left));
    ProcessNonInputEvents();
  }
}

void resetTestCounts(const QLineEdit* setCountEdit) {
  ErrorCount1 = 0;
  ErrorCount2 = 0;
  ErrorCount3 = 0;
  ErrorCountTimeLox = 0;
  BreakFlag = 0;
  linkClosedByOperator = false;
  SetCount = StrToInt(setCountEdit->text().toStdString());
}

void showFreshRun(QLineEdit* doCountEdit, std::initializer_list<QLabel*> rateLabels,
                  const QCheckBox* timeLoxBox, std::initializer_list<QCheckBox*> trackBoxes) {
  DoCount = 0;
  doCountEdit->setText("0");
  for (char* rate : RateText) std::strcpy(rate, "0.00 %");
  for (QLabel* label : rateLabels) label->setText("0.00 %");
  ProcessMessages();
  if (timeLoxBox->isChecked()) {
    for (QCheckBox* box : trackBoxes) box->setChecked(false);
  }
}

void showTrackRate(char* rateText, QLabel* countLabel, QLabel* rateLabel, int32_t errors,
                   int32_t done) {
  std::snprintf(rateText, static_cast<size_t>(kRateTextSize), "%.2f %%", errors * 100.0 / done);
  countLabel->setText(QString::number(errors));
  rateLabel->setText(rateText);
}

StartButtonsLock::StartButtonsLock(std::initializer_list<QPushButton*> buttons) {
  for (QPushButton* button : buttons) {
    buttons_.emplace_back(button, button->isEnabled());
    button->setEnabled(false);
  }
}

StartButtonsLock::~StartButtonsLock() {
  for (const auto& [button, wasEnabled] : buttons_) button->setEnabled(wasEnabled);
}

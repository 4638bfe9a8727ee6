#include "pages/TestSteps.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gui/GuiThread.h"
#include "reply/MainState.h"
#include "gui/StrToInt.h"
#include "link/link.h"
#include "platform/tick.h"

const char kNoReplyText[] = "No reply from the reader !!";

namespace {

void handleNonInputEvents() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

uint32_t slice(uint32_t left) {
  return std::min<uint32_t>(left, static_cast<uint32_t>(platform::kWaitSliceMs));
}

// Only a reply that raises ResponseFlag ends the wait. A reply handled without
// it (a stray line, a read naming no track, a missing reply) leaves the wait
// going, so the command's own reply is still taken for this step and not for
// the next one. Such a reply leaves the event signalled, so from then on the
// flag is looked at every slice instead.
bool waitForResponseFlag(uint32_t boundMs) {
  // Over Ethernet the reply was read and handled inside SendCommand: no other
  // can come.
  if (LinkMode == LINK_ETHERNET) return ResponseFlag != 0;
  const uint32_t start = platform::TickCount();
  for (;;) {
    if (ResponseFlag) return true;
    const uint32_t left = platform::TicksLeft(start, boundMs);
    if (left == 0) return false;
    if (ResponseEvent.IsSignalled()) {
      platform::SleepMs(slice(left));
    } else {
      ResponseEvent.Wait(slice(left));
    }
    handleNonInputEvents();
  }
}

}  // namespace

void waitForResponseEvent(uint32_t boundMs) {
  const uint32_t start = platform::TickCount();
  for (;;) {
    if (ResponseEvent.IsSignalled()) return;
    const uint32_t left = platform::TicksLeft(start, boundMs);
    if (left == 0) return;
    ResponseEvent.Wait(slice(left));
    handleNonInputEvents();
  }
}

bool exchangeTrackCommand(int commandId, int commandCode, const uint8_t* data, int length,
                          uint32_t boundMs) {
  ResponseFlag = 0;
  ResponseEvent.Create();
  CommandId = commandId;
  const bool sent = SendCommand(commandCode, data, length) == 1;
  const bool replied = sent && waitForResponseFlag(boundMs);
  if (replied) waitForResponseEvent(boundMs);
  ResponseEvent.Close();
  return replied;
}

void pauseTest(uint32_t ms) {
  const uint32_t start = platform::TickCount();
  for (uint32_t left = ms; left > 0; left = platform::TicksLeft(start, ms)) {
    platform::SleepMs(slice(left));
    handleNonInputEvents();
  }
}

void resetTestCounts(const QLineEdit* setCountEdit) {
  ErrorCount1 = 0;
  ErrorCount2 = 0;
  ErrorCount3 = 0;
  ErrorCountTimeLox = 0;
  BreakFlag = 0;
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

// Steps shared by the counted track tests (read test, write tests) and by any
// other counted loop that sends one command per step and waits for its reply.
//
// A run lives inside its button's click handler on the GUI thread:
//   resetTestCounts(...)           at the start (clears the link-lost state too)
//   per step: exchangeTrackCommand(...) -> a StepResult; the caller counts
//             NoReply and NoTrackNamed as errors of the step's track, leaves
//             Answered to the reply handler's counting, and on LinkLost stops
//             the run at once (showLinkLost) without counting anything.
//   at the fixed points: ProcessMessages (clicks, "Break").
// While a step waits for the reader or a pause runs, the window stays alive by
// handling pending events other than user input (paints, the reply handler's
// queued memo and panel changes, timers); clicks and keys wait for the fixed
// points. Every wait is bounded and re-reads the tick count at least every
// platform::kWaitSliceMs.
//
// A reply belongs to the step whose command it answers (reply/ReplyTurns.h): a
// reply that comes after its step's wait has ended never ends, counts for or
// changes the boxes of a later step. After a step without its reply, every
// next command holds back kLateReplyGraceMs from the end of that wait.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "link/link.h"
#include "reply/ReplyTurns.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The reply bound of a track command that first waits for the operator to
// insert a card: as long as the network link waits for a reply line, on
// either link (the others: kTrackReplyMs, kTimeLoxReplyMs).
constexpr uint32_t kInsertCardReplyMs = NetworkReplyTimeoutMs;
constexpr uint32_t kTimeLoxReplyMs = 10000;

// What a step shows and counts when its reply did not come, and when the reply
// that came names no track.
extern const char kNoReplyText[];
extern const char kNoTrackText[];

enum class StepResult {
  Answered,      // the step's reply came and the reply handler has dealt with it
  NoTrackNamed,  // no reply of the step's track came, but one naming no track did
  NoReply,       // nothing came within the bound
  LinkDropped,   // the network connection broke during the step; the next
                 // send reconnects. Not the card's fault: not counted
  LinkLost,      // the link is closed or gone: the run ends, nothing counted
};

// How a wait keeps the window alive: with the pending events other than user
// input (see above), or with all of them, clicks included (ProcessMessages).
enum class WaitEvents { NonInput, All };

// One command of a step: sent under `commandId` with `commandCode` and
// `data`, answered by a reply that echoes `trackChar` (0: the command's own
// echo character, CommandEcho).
struct TrackStep {
  int commandId;
  int commandCode;
  char trackChar;
  const uint8_t* data;
  int length;
  uint32_t boundMs;
  WaitEvents events = WaitEvents::NonInput;
};

// The text a step's track shows and counts as its error: kNoReplyText or
// kNoTrackText; nullptr for a result that counts nothing.
const char* countedStepError(StepResult result);

// Waits out a late reply of the step before (see above); then ResponseFlag :=
// 0, a fresh ResponseEvent, CommandId := the step's id, send; then waits until
// the step's reply has been handled, at most `boundMs` (over Ethernet
// SendCommand itself waits for its one reply line); closes the event. Over serial a line that names no track does not end the wait. LinkLost at once
// when the link is closed, the serial device has gone, a network send failed
// even after its reconnect, or endRunsOnLinkClose was called.
StepResult exchangeTrackCommand(const TrackStep& step);

// The bound of a track command: kInsertCardReplyMs when the mode waits for
// the operator to insert a card, else kTimeLoxReplyMs or kTrackReplyMs.
uint32_t trackReplyBound(bool insertCard, bool timeLox);

// The operator closed the link (Exit, Port Close, Ethernet Close, or a link
// dialog that closes the old link first): a running test ends after the step
// now waiting, which ends at once, and no reply of the old link is awaited.
void endRunsOnLinkClose();

// A run that does not count (a download, say) starts watching the link
// buttons; true once endRunsOnLinkClose was called since this run, or since
// resetTestCounts, began.
void watchLinkButtons();
bool linkClosedByOperatorDuringRun();

// Panel1 := "Link to the reader lost !!"; the run's end after a LinkLost step.
void showLinkLost();

// Pauses for `ms` while the window stays alive (see above).
void pauseTest(uint32_t ms);

// The start of a test run: every error count and the Break request cleared,
// then SetCount read from `setCountEdit` (a box that holds no number raises
// EConvertError there and the run does not start).
void resetTestCounts(const QLineEdit* setCountEdit);

// The run's display starts over: DoCount and `doCountEdit` 0, every rate
// "0.00 %" (RateText and `rateLabels`). Then, once pending events are handled,
// a ticked `timeLoxBox` unticks `trackBoxes`: TimeLox runs alone.
void showFreshRun(QLineEdit* doCountEdit, std::initializer_list<QLabel*> rateLabels,
                  const QCheckBox* timeLoxBox, std::initializer_list<QCheckBox*> trackBoxes);

// A track's error count and its rate over `done` passes: `errors` / `done`
// x 100 as "%.2f %", kept in `rateText` (kRateTextSize characters, cut to
// fit). `done` must be positive.
void showTrackRate(char* rateText, QLabel* countLabel, QLabel* rateLabel, int32_t errors,
                   int32_t done);

// Disables the given start buttons while a test runs, so that no second test
// starts inside it, and gives each its former state back at the end.
class StartButtonsLock {
 public:
  explicit StartButtonsLock(std::initializer_list<QPushButton*> buttons);
  ~StartButtonsLock();
  StartButtonsLock(const StartButtonsLock&) = delete;
  StartButtonsLock& operator=(const StartButtonsLock&) = delete;

 private:
  std::vector<std::pair<QPushButton*, bool>> buttons_;
};

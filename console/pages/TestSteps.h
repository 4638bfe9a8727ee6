// Steps shared by the counted track tests (read test, write tests). A test
// runs inside its button's click handler on the GUI thread. While it waits for
// the reader or pauses it keeps the window alive by handling pending events
// other than user input (paints, the reply handler's queued memo and panel
// changes, timers); clicks and keys wait for the test's fixed points, where
// ProcessMessages handles them all ("Break" among them). Every wait is bounded
// and re-reads the tick count at least every platform::kWaitSliceMs.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The reply time-out of one track command: the event wait of the design, and
// the bound of the wait for ResponseFlag before it.
constexpr uint32_t kTrackReplyMs = 5000;
constexpr uint32_t kTimeLoxReplyMs = 10000;

// What a track step shows and counts when its reply did not come.
extern const char kNoReplyText[];

// One track command of a test: ResponseFlag := 0, a fresh ResponseEvent,
// CommandId := `commandId`, SendCommand; then waits for ResponseFlag and,
// once it is set, for ResponseEvent, each for at most `boundMs`; closes the
// event. True when the reply raised ResponseFlag. False when the send failed,
// the link is closed, or no reply raised the flag: over serial within
// `boundMs` (replies handled without the flag, such as a read echoing no
// track or a stray line, do not end the wait), over Ethernet in the one reply
// SendCommand read.
bool exchangeTrackCommand(int commandId, int commandCode, const uint8_t* data, int length,
                          uint32_t boundMs);

// Waits at most `boundMs` for the open ResponseEvent while the window stays
// alive (see above).
void waitForResponseEvent(uint32_t boundMs);

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

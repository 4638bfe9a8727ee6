// "Auto Test" of the "Write Test" page: an unattended counted write test. It
// loads the four default patterns, then pass after pass writes the pattern of
// each ticked track with the command of the chosen write mode, reports each
// write on the status line, moves each pattern on by one character and keeps
// each track's error count and rate. In BIT norm a track's pattern is first
// turned into bit text. The test runs inside "Auto Test" on the GUI thread.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <string>

#include "Main.h"
#include "gui/ControlText.h"
#include "gui/GuiThread.h"
#include "pages/AutoWritePatterns.h"
#include "pages/PageState.h"
#include "pages/TestSteps.h"
#include "pages/WriteStep.h"
#include "reply/MainState.h"

namespace {

// The reply bound of each write of this test, in the modes where the card is
// already inside.
constexpr uint32_t kAutoWriteReplyMs = 10000;

// Per track: its pattern has been turned into bit text in this run.
bool BitConverted[kAutoTrackCount] = {};

struct AutoTrackControls {
  QCheckBox* box;
  char trackChar;
  QPlainTextEdit* patternBox;
  const char* errorText;
  const char* successText;
  std::atomic<int32_t>* errors;
  QLabel* countLabel;
  QLabel* rateLabel;
};

// The box's text as its pattern buffer holds it: cut to the buffer.
std::string boxPattern(const QPlainTextEdit* box) {
  std::string text = ControlBytes(box);
  if (text.size() > static_cast<size_t>(kPatternBufferSize - 1)) {
    text.resize(kPatternBufferSize - 1);
  }
  return text;
}

// TxBuffer := the track character, the data, zeros; the bytes to send.
void showPattern(QPlainTextEdit* box, const std::string& pattern) {
  box->setPlainText(QString::fromLatin1(pattern.data(), static_cast<int>(pattern.size())));
}

}  // namespace

void TForm1::Button27Click() {
  for (bool& converted : BitConverted) converted = false;
  QPlainTextEdit* const patternBoxes[kAutoTrackCount] = {RichEdit1, RichEdit2, RichEdit3,
                                                         RichEdit4};
  for (int t = 0; t < kAutoTrackCount; ++t) patternBoxes[t]->setPlainText(kDefaultPatterns[t]);
  resetTestCounts(Edit6);
  StartButtonsLock running({Button16, Button23, Button27});
  showFreshRun(Edit5, {Label30, Label31, Label32, Label57}, CheckBox11,
               {CheckBox4, CheckBox5, CheckBox6});

  const AutoTrackControls tracks[kAutoTrackCount] = {
      {CheckBox4, '1', RichEdit1, "Track #1 Error : ", "Track #1 Write OK!!", &ErrorCount1,
       Label24, Label30},
      {CheckBox5, '2', RichEdit2, "Track #2 Error : ", "Track #2 Write OK!!", &ErrorCount2,
       Label25, Label31},
      {CheckBox6, '3', RichEdit3, "Track #3 Error : ", "Track #3 Write OK!!", &ErrorCount3,
       Label26, Label32},
      {CheckBox11, '4', RichEdit4, "Track #3 Time Lox Error : ", "Track #3 Time Lox Write OK!!",
       &ErrorCountTimeLox, Label55, Label57},
  };
  bool linkLost = false;
  do {
    ++DoCount;
    for (int t = 0; t < kAutoTrackCount && !linkLost; ++t) {
      const AutoTrackControls& track = tracks[t];
      if (!track.box->isChecked()) continue;
      const AutoTrack which = static_cast<AutoTrack>(t);
      const bool bitNorm = ComboBox1->currentIndex() != 0;
      std::string pattern = boxPattern(track.patternBox);
      const std::string data = AutoWriteData(which, pattern, bitNorm, BitConverted[t]);
      if (bitNorm && !BitConverted[t]) {
        // The box shows the bit text from now on; later writes send it.
        pattern = data;
        showPattern(track.patternBox, pattern);
        BitConverted[t] = true;
        ProcessMessages();
      }
      const StepResult result =
          writeTrackStep(track.trackChar, data, kAutoWriteReplyMs, *track.errors);
      if (result == StepResult::LinkLost) {
        linkLost = true;
        break;
      }
      if (WriteErrorFlag) {
        setPanelText(track.errorText + WriteErrorText.Get());
      } else if (result == StepResult::Answered) {
        setPanelText(track.successText);
      }
      showPattern(track.patternBox, PatternAfterWrite(which, pattern, data, bitNorm));
      showTrackRate(RateText[t], track.countLabel, track.rateLabel, *track.errors, DoCount);
      ProcessMessages();
      pauseTest(100);
    }
    if (linkLost) break;
    Edit5->setText(QString::number(DoCount));
    ProcessMessages();
  } while (!BreakFlag && DoCount < SetCount);
  if (linkLost) showLinkLost();
  ProcessMessages();
}

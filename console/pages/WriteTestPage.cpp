// "Write Test": the write-mode choice both write tests use and the "Manual"
// counted write test. For the passes asked for, the text of each ticked
// track's box is written with the command of the chosen write mode; a success
// is reported on the status line, an error replaces the box's text, and the
// page shows per track the count and rate of failed writes. The test runs
// inside "Manual" on the GUI thread. "Auto Test" is built here; its test is
// in AutoWriteTest.cpp.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <string>

#include "gui/ControlText.h"
#include "gui/EventHandlers.h"
#include "gui/GuiThread.h"
#include "Main.h"
#include "reply/MainState.h"
#include "pages/PageState.h"
#include "pages/TestSteps.h"
#include "pages/WriteStep.h"
#include "pages/TrackTestLayout.h"

namespace {

// One track of a pass, in the order the passes visit them.
struct WriteTrack {
  QCheckBox* box;
  char trackChar;
  QPlainTextEdit* dataBox;
  const char* successText;
  std::atomic<int32_t>* errors;
};

// TxBuffer := the track character, then the box's text (line breaks as CR
// LF), then a zero. Text that does not fit (more than kTxBufferSize - 2
// bytes) is cut there; returns the bytes to send. A character the reader
// cannot get raises EControlText before TxBuffer changes: nothing is sent.
}  // namespace

void TForm1::buildWriteTestPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  grid->addLayout(countFields(page, {&Label35, "Label35"}, {&Edit6, "Edit6"}, {&Label36, "Label36"},
                              {&Edit5, "Edit5"}),
                  0, 0);
  GroupBox13 = trackSelectGroup(page, "GroupBox13",
                                {{&CheckBox4, "CheckBox4"},
                                 {&CheckBox5, "CheckBox5"},
                                 {&CheckBox6, "CheckBox6"},
                                 {&CheckBox11, "CheckBox11"}});
  grid->addWidget(GroupBox13, 1, 0);

  GroupBox12 = new QGroupBox("[ Write Mode ]", page);
  GroupBox12->setObjectName("GroupBox12");
  auto* modes = new QVBoxLayout(GroupBox12);
  Label33 = namedLabel(GroupBox12, "Label33", "             Card already inside");
  Label34 = namedLabel(GroupBox12, "Label34", "                    After insert card");
  const char* const captions[5] = {"Move Back ( * Auto Test )", "Eject Back", "Eject Front",
                                   "Eject Front", "Eject Back"};
  QRadioButton** radios[5] = {&RadioButton10, &RadioButton11, &RadioButton12, &RadioButton13,
                              &RadioButton14};
  for (int i = 0; i < 5; ++i) {
    if (i == 0) modes->addWidget(Label33);
    if (i == 3) modes->addWidget(Label34);
    *radios[i] = new QRadioButton(captions[i], GroupBox12);
    (*radios[i])->setObjectName(QString("RadioButton%1").arg(10 + i));
    modes->addWidget(*radios[i]);
  }
  RadioButton10->setChecked(true);
  grid->addWidget(GroupBox12, 2, 0);

  GroupBox11 = errorStatusGroup(
      page, "GroupBox11", &Label23,
      {{&Label24, "Label24"}, {&Label25, "Label25"}, {&Label26, "Label26"}, {&Label55, "Label55"}},
      {{&Label30, "Label30"}, {&Label31, "Label31"}, {&Label32, "Label32"}, {&Label57, "Label57"}});
  Label23->setObjectName("Label23");
  grid->addWidget(GroupBox11, 3, 0);

  auto* buttons = new QHBoxLayout;
  Button23 = new QPushButton("Manual", page);
  Button23->setObjectName("Button23");
  Button27 = new QPushButton("Auto Test", page);
  Button27->setObjectName("Button27");
  Button24 = new QPushButton("Break", page);
  Button24->setObjectName("Button24");
  Button25 = new QPushButton("Clear", page);
  Button25->setObjectName("Button25");
  Button26 = new QPushButton("Eject", page);
  Button26->setObjectName("Button26");
  for (QPushButton* button : {Button23, Button27, Button24, Button25, Button26}) {
    buttons->addWidget(button);
  }
  grid->addLayout(buttons, 4, 0, 1, 2);

  grid->addLayout(
      trackTextColumn(
          page, {{{&GroupBox8, "GroupBox8"}, "[  T r a c k  # 1  ]", {&RichEdit1, "RichEdit1"}},
                 {{&GroupBox9, "GroupBox9"}, "[  T r a c k  # 2  ]", {&RichEdit2, "RichEdit2"}},
                 {{&GroupBox10, "GroupBox10"}, "[  T r a c k  # 3  ]", {&RichEdit3, "RichEdit3"}},
                 {{&GroupBox24, "GroupBox24"},
                  "[  T r a c k  # 3  TimeLox ]",
                  {&RichEdit4, "RichEdit4"}}}),
      0, 1, 4, 1);
  grid->setColumnStretch(1, 1);

  bindClick(Button23, [this] { Button23Click(); });
  bindClick(Button27, [this] { Button27Click(); });
  bindClick(Button24, [this] { Button24Click(); });
  bindClick(Button25, [this] { Button25Click(); });
  bindClick(Button26, [this] { Button26Click(); });
  bindClick(RadioButton10, [this] { RadioButton10Click(); });
  bindClick(RadioButton11, [this] { RadioButton11Click(); });
  bindClick(RadioButton12, [this] { RadioButton12Click(); });
  bindClick(RadioButton13, [this] { RadioButton13Click(); });
  bindClick(RadioButton14, [this] { RadioButton14Click(); });
}

void TForm1::RadioButton10Click() { WriteMode = 1; }
void TForm1::RadioButton11Click() { WriteMode = 2; }
void TForm1::RadioButton12Click() { WriteMode = 3; }
void TForm1::RadioButton13Click() { WriteMode = 4; }
void TForm1::RadioButton14Click() { WriteMode = 5; }

void TForm1::Button23Click() {
  resetTestCounts(Edit6);
  StartButtonsLock running({Button16, Button23, Button27});
  showFreshRun(Edit5, {Label30, Label31, Label32, Label57}, CheckBox11,
               {CheckBox4, CheckBox5, CheckBox6});

  const WriteTrack passTracks[4] = {
      {CheckBox4, '1', RichEdit1, "Track #1 Write OK!!", &ErrorCount1},
      {CheckBox5, '2', RichEdit2, "Track #2 Write OK!!", &ErrorCount2},
      {CheckBox6, '3', RichEdit3, "Track #3 Write OK!!", &ErrorCount3},
      {CheckBox11, '4', RichEdit4, "Track #3 Time Lox Write OK!!", &ErrorCountTimeLox},
  };
  QLabel* const countLabels[4] = {Label24, Label25, Label26, Label55};
  QLabel* const rateLabels[4] = {Label30, Label31, Label32, Label57};
  bool linkLost = false;
  do {
    for (const WriteTrack& track : passTracks) {
      if (!track.box->isChecked()) continue;
      const StepResult result =
          writeTrackStep(track.trackChar, ControlBytes(track.dataBox), kTrackReplyMs, *track.errors);
      if (result == StepResult::LinkLost) {
        linkLost = true;
        break;
      }
      // The error replaces the data, so the next pass writes the message
      // unless the operator types the data again.
      if (WriteErrorFlag) {
        track.dataBox->setPlainText(QString::fromLatin1(WriteErrorText.Get().c_str()));
      } else if (result == StepResult::Answered) {
        setPanelText(track.successText);
      }
      ProcessMessages();
      pauseTest(100);
    }
    if (linkLost) break;
    ++DoCount;
    Edit5->setText(QString::number(DoCount));
    for (int i = 0; i < 4; ++i) {
      showTrackRate(RateText[i], countLabels[i], rateLabels[i], *passTracks[i].errors, DoCount);
    }
    ProcessMessages();
  } while (!BreakFlag && SetCount > DoCount);
  if (linkLost) showLinkLost();
  ProcessMessages();
}

void TForm1::Button25Click() {
  for (QPlainTextEdit* box : {RichEdit1, RichEdit2, RichEdit3, RichEdit4}) box->clear();
  setPanelText("Form Clear OK !!");
  ProcessMessages();
}

// The same request as the read test's "Break".
void TForm1::Button24Click() { Button17Click(); }

void TForm1::Button26Click() { Button11Click(); }

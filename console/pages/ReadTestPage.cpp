// "Read Test": a counted read test. For the passes asked for, each ticked
// track is read with the command of the chosen read mode; the reply handler
// shows each track's text or counts its error, and the page shows per track
// the error count and rate. The test runs inside "Start" on the GUI thread.
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


#include "gui/EventHandlers.h"
#include "gui/GuiThread.h"
#include "Main.h"
#include "reply/MainState.h"
#include "pages/PageState.h"
#include "pages/TestSteps.h"
#include "pages/TrackTestLayout.h"

namespace {

// One track of a pass, in the order the passes visit them.
struct ReadTrack {
  QCheckBox* box;
  char trackChar;
  const char* panelText;
  std::atomic<int32_t>* errors;
  QPlainTextEdit* memo;
  QLabel* countLabel;
  QLabel* rateLabel;
  char* rateText;
  bool timeLox;
  uint32_t pauseMs;
};

}  // namespace

void TForm1::buildReadTestPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  grid->addLayout(countFields(page, {&Label18, "Label18"}, {&Edit3, "Edit3"}, {&Label19, "Label19"},
                              {&Edit4, "Edit4"}),
                  0, 0);
  GroupBox6 = trackSelectGroup(page, "GroupBox6",
                               {{&CheckBox1, "CheckBox1"},
                                {&CheckBox2, "CheckBox2"},
                                {&CheckBox3, "CheckBox3"},
                                {&CheckBox10, "CheckBox10"}});
  grid->addWidget(GroupBox6, 1, 0);

  // The read-mode buttons are children of the page itself, laid over the
  // group's frame: one exclusive group across both headings.
  GroupBox5 = new QGroupBox("[ Read Mode ]", page);
  GroupBox5->setObjectName("GroupBox5");
  grid->addWidget(GroupBox5, 2, 0);
  auto* modes = new QVBoxLayout;
  modes->setContentsMargins(12, 24, 12, 12);
  Label3 = namedLabel(page, "Label3", "             Card already inside");
  Label4 = namedLabel(page, "Label4", "                    After insert card");
  const char* const captions[6] = {"Move Back ( * Auto Test )", "Eject Back", "Move Front",
                                   "Move Back", "Eject Front", "Eject Back"};
  QRadioButton** radios[6] = {&RadioButton4, &RadioButton5, &RadioButton6,
                              &RadioButton7, &RadioButton8, &RadioButton9};
  for (int i = 0; i < 6; ++i) {
    if (i == 0) modes->addWidget(Label3);
    if (i == 3) modes->addWidget(Label4);
    *radios[i] = new QRadioButton(captions[i], page);
    (*radios[i])->setObjectName(QString("RadioButton%1").arg(4 + i));
    modes->addWidget(*radios[i]);
  }
  RadioButton4->setChecked(true);
  grid->addLayout(modes, 2, 0);

  QLabel* statusHeading = nullptr;
  GroupBox7 = errorStatusGroup(
      page, "GroupBox7", &statusHeading,
      {{&Label9, "Label9"}, {&Label10, "Label10"}, {&Label11, "Label11"}, {&Label51, "Label51"}},
      {{&Label15, "Label15"}, {&Label16, "Label16"}, {&Label17, "Label17"}, {&Label52, "Label52"}});
  grid->addWidget(GroupBox7, 3, 0);

  auto* buttons = new QHBoxLayout;
  Button16 = new QPushButton("Start", page);
  Button16->setObjectName("Button16");
  Button17 = new QPushButton("Break", page);
  Button17->setObjectName("Button17");
  Button19 = new QPushButton("Clear", page);
  Button19->setObjectName("Button19");
  Button22 = new QPushButton("Eject ", page);
  Button22->setObjectName("Button22");
  for (QPushButton* button : {Button16, Button17, Button19, Button22}) buttons->addWidget(button);
  grid->addLayout(buttons, 4, 0, 1, 2);

  grid->addLayout(
      trackTextColumn(page, {{{&GroupBox2, "GroupBox2"}, "[  T r a c k  # 1  ]", {&Memo1, "Memo1"}},
                             {{&GroupBox3, "GroupBox3"}, "[  T r a c k  # 2  ]", {&Memo2, "Memo2"}},
                             {{&GroupBox4, "GroupBox4"}, "[  T r a c k  # 3  ]", {&Memo3, "Memo3"}},
                             {{&GroupBox23, "GroupBox23"},
                              "[  T r a c k  # 3 TimeLox  ]",
                              {&Memo8, "Memo8"}}}),
      0, 1, 4, 1);
  // Only the replies fill the memos.
  for (QPlainTextEdit* memo : {Memo1, Memo2, Memo3, Memo8}) memo->setReadOnly(true);
  grid->setColumnStretch(1, 1);

  bindClick(Button16, [this] { Button16Click(); });
  bindClick(Button17, [this] { Button17Click(); });
  bindClick(Button19, [this] { Button19Click(); });
  bindClick(Button22, [this] { Button22Click(); });
  bindClick(RadioButton4, [this] { RadioButton4Click(); });
  bindClick(RadioButton5, [this] { RadioButton5Click(); });
  bindClick(RadioButton6, [this] { RadioButton6Click(); });
  bindClick(RadioButton7, [this] { RadioButton7Click(); });
  bindClick(RadioButton8, [this] { RadioButton8Click(); });
  bindClick(RadioButton9, [this] { RadioButton9Click(); });
}

void TForm1::RadioButton4Click() { ReadMode = 1; }
void TForm1::RadioButton5Click() { ReadMode = 2; }
void TForm1::RadioButton6Click() { ReadMode = 3; }
void TForm1::RadioButton7Click() { ReadMode = 4; }
void TForm1::RadioButton8Click() { ReadMode = 5; }
void TForm1::RadioButton9Click() { ReadMode = 6; }

void TForm1::Button16Click() {
  resetTestCounts(Edit3);
  StartButtonsLock running({Button16, Button23, Button27});
  showFreshRun(Edit4, {Label15, Label16, Label17, Label52}, CheckBox10,
               {CheckBox1, CheckBox2, CheckBox3});

  const ReadTrack passTracks[4] = {
      {CheckBox1, '1', "Track #1 Read...", &ErrorCount1, Memo1, Label9, Label15, RateText[0],
       false, 100},
      {CheckBox2, '2', "Track #2 Read...", &ErrorCount2, Memo2, Label10, Label16, RateText[1],
       false, 100},
      {CheckBox3, '3', "Track #3 Read...", &ErrorCount3, Memo3, Label11, Label17, RateText[2],
       false, 1000},
      {CheckBox10, '4', "Track #3 TimeLox Read...", &ErrorCountTimeLox, Memo8, Label51, Label52,
       RateText[3], true, 100},
  };
  bool linkLost = false;
  do {
    ++DoCount;
    for (const ReadTrack& track : passTracks) {
      if (!track.box->isChecked()) continue;
      setPanelText(track.panelText);
      const TrackCommand command = ReadModeCommand(ReadMode);
      const uint8_t data = static_cast<uint8_t>(track.trackChar);
      const StepResult result = exchangeTrackCommand(
          {command.commandId, command.commandCode, track.trackChar, &data, 1,
           trackReplyBound(ReadMode >= kFirstInsertCardReadMode, track.timeLox)});
      if (result == StepResult::LinkLost) {
        linkLost = true;
        break;
      }
      if (const char* error = countedStepError(result)) {
        ++*track.errors;
        setMemoText(track.memo, error);  // after the reply handler's queued texts
      }
      showTrackRate(track.rateText, track.countLabel, track.rateLabel, *track.errors, DoCount);
      ProcessMessages();
      pauseTest(track.pauseMs);
    }
    Edit4->setText(QString::number(DoCount));
    ProcessMessages();
  } while (!linkLost && !BreakFlag && SetCount > DoCount);
  if (linkLost) showLinkLost();
}

void TForm1::Button19Click() {
  for (QPlainTextEdit* memo : {Memo1, Memo2, Memo3, Memo8}) memo->clear();
  setPanelText("Form Clear OK !!");
  ProcessMessages();
}

// Stops whichever read or write test is running, after its current pass.
void TForm1::Button17Click() {
  BreakFlag = 1;
  setPanelText("Command Breaked...");
}

void TForm1::Button22Click() { Button11Click(); }

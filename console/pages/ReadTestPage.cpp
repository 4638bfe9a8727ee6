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

#include <cstring>

#include "EventHandlers.h"
#include "GuiThread.h"
#include "Main.h"
#include "MainState.h"
#include "StrToInt.h"
#include "pages/PageState.h"
#include "pages/TestSteps.h"

namespace {

QPlainTextEdit* trackMemo(QWidget* page, QGroupBox** group, const char* groupName,
                          const char* caption, const char* memoName) {
  *group = new QGroupBox(caption, page);
  (*group)->setObjectName(groupName);
  auto* frame = new QVBoxLayout(*group);
  auto* memo = new QPlainTextEdit(*group);
  memo->setObjectName(memoName);
  memo->setReadOnly(true);
  frame->addWidget(memo);
  return memo;
}

QLabel* namedLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

QCheckBox* trackBox(QWidget* parent, const char* name, const char* caption, bool checked) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

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
  uint32_t replyMs;
  uint32_t pauseMs;
};

}  // namespace

void TForm1::buildReadTestPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  auto* counts = new QGridLayout;
  Label18 = namedLabel(page, "Label18", "Set Count :");
  Edit3 = new QLineEdit("1", page);
  Edit3->setObjectName("Edit3");
  Edit3->setMaxLength(4);
  Label19 = namedLabel(page, "Label19", "Do Count :");
  Edit4 = new QLineEdit("0", page);
  Edit4->setObjectName("Edit4");
  Edit4->setMaxLength(4);
  Edit4->setReadOnly(true);
  counts->addWidget(Label18, 0, 0);
  counts->addWidget(Edit3, 0, 1);
  counts->addWidget(Label19, 1, 0);
  counts->addWidget(Edit4, 1, 1);
  grid->addLayout(counts, 0, 0);

  GroupBox6 = new QGroupBox("[ Track Select ]", page);
  GroupBox6->setObjectName("GroupBox6");
  auto* tracks = new QVBoxLayout(GroupBox6);
  CheckBox1 = trackBox(GroupBox6, "CheckBox1", "Track #1", true);
  CheckBox2 = trackBox(GroupBox6, "CheckBox2", "Track #2", true);
  CheckBox3 = trackBox(GroupBox6, "CheckBox3", "Track #3", true);
  CheckBox10 = trackBox(GroupBox6, "CheckBox10", "TimeLox", false);
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox10}) tracks->addWidget(box);
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

  GroupBox7 = new QGroupBox("[ Error Status ]", page);
  GroupBox7->setObjectName("GroupBox7");
  auto* status = new QGridLayout(GroupBox7);
  status->addWidget(new QLabel("* Count / Rate", GroupBox7), 0, 0, 1, 4);
  const char* const rowCaptions[4] = {"Track #1 :", "Track #2 :", "Track #3 :", "TimeLox :"};
  QLabel** countLabels[4] = {&Label9, &Label10, &Label11, &Label51};
  QLabel** rateLabels[4] = {&Label15, &Label16, &Label17, &Label52};
  const char* const countNames[4] = {"Label9", "Label10", "Label11", "Label51"};
  const char* const rateNames[4] = {"Label15", "Label16", "Label17", "Label52"};
  for (int row = 0; row < 4; ++row) {
    *countLabels[row] = namedLabel(GroupBox7, countNames[row], "0");
    *rateLabels[row] = namedLabel(GroupBox7, rateNames[row], "0.00 %");
    status->addWidget(new QLabel(rowCaptions[row], GroupBox7), row + 1, 0);
    status->addWidget(*countLabels[row], row + 1, 1);
    status->addWidget(new QLabel("/", GroupBox7), row + 1, 2);
    status->addWidget(*rateLabels[row], row + 1, 3);
  }
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

  Memo1 = trackMemo(page, &GroupBox2, "GroupBox2", "[  T r a c k  # 1  ]", "Memo1");
  Memo2 = trackMemo(page, &GroupBox3, "GroupBox3", "[  T r a c k  # 2  ]", "Memo2");
  Memo3 = trackMemo(page, &GroupBox4, "GroupBox4", "[  T r a c k  # 3  ]", "Memo3");
  Memo8 = trackMemo(page, &GroupBox23, "GroupBox23", "[  T r a c k  # 3 TimeLox  ]", "Memo8");
  auto* memos = new QVBoxLayout;
  for (QGroupBox* group : {GroupBox2, GroupBox3, GroupBox4, GroupBox23}) memos->addWidget(group);
  grid->addLayout(memos, 0, 1, 4, 1);
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
  ErrorCount1 = 0;
  ErrorCount2 = 0;
  ErrorCount3 = 0;
  ErrorCountTimeLox = 0;
  BreakFlag = 0;
  SetCount = StrToInt(Edit3->text().toStdString());
  StartButtonsLock running({Button16, Button23, Button27});
  DoCount = 0;
  Edit4->setText("0");
  for (char* rate : RateText) std::strcpy(rate, "0.00 %");
  for (QLabel* label : {Label15, Label16, Label17, Label52}) label->setText("0.00 %");
  ProcessMessages();
  if (CheckBox10->isChecked()) {
    CheckBox1->setChecked(false);
    CheckBox2->setChecked(false);
    CheckBox3->setChecked(false);
  }

  const ReadTrack passTracks[4] = {
      {CheckBox1, '1', "Track #1 Read...", &ErrorCount1, Memo1, Label9, Label15, RateText[0],
       kTrackReplyMs, 100},
      {CheckBox2, '2', "Track #2 Read...", &ErrorCount2, Memo2, Label10, Label16, RateText[1],
       kTrackReplyMs, 100},
      {CheckBox3, '3', "Track #3 Read...", &ErrorCount3, Memo3, Label11, Label17, RateText[2],
       kTrackReplyMs, 1000},
      {CheckBox10, '4', "Track #3 TimeLox Read...", &ErrorCountTimeLox, Memo8, Label51, Label52,
       RateText[3], kTimeLoxReplyMs, 100},
  };
  do {
    ++DoCount;
    for (const ReadTrack& track : passTracks) {
      if (!track.box->isChecked()) continue;
      setPanelText(track.panelText);
      const TrackCommand command = ReadModeCommand(ReadMode);
      const uint8_t data = static_cast<uint8_t>(track.trackChar);
      if (!exchangeTrackCommand(command.commandId, command.commandCode, &data, 1, track.replyMs)) {
        ++*track.errors;
        setMemoText(track.memo, kNoReplyText);  // after the reply handler's queued texts
      }
      formatRate(track.rateText, kRateTextSize, *track.errors, DoCount);
      track.countLabel->setText(QString::number(*track.errors));
      track.rateLabel->setText(track.rateText);
      ProcessMessages();
      pauseTest(track.pauseMs);
    }
    Edit4->setText(QString::number(DoCount));
    ProcessMessages();
  } while (!BreakFlag && SetCount > DoCount);
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

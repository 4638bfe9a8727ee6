// "Initial / Card Control": single reader commands and the reader's track
// settings. Each button stores the CommandId of the reply it expects and sends
// one command; it neither looks at the send result nor waits, the reply
// handler reports the reply. "Reset", "Version", "LO_CO" and "HI_CO" are
// shown; the other buttons and the setting inputs are built hidden.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/ControlText.h"
#include "gui/EventHandlers.h"
#include "gui/GuiThread.h"
#include "Main.h"
#include "reply/MainState.h"
#include "link/link.h"
#include "pages/PageState.h"

namespace {

QPushButton* commandButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

// A setting's input box, taking at most `maxLength` characters.
QLineEdit* settingEdit(QWidget* parent, const char* name, const char* text, int maxLength) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  return edit;
}

// Lays `widgets` out on `row` of `grid`, one a column from the first.
void addRow(QGridLayout* grid, int row, std::initializer_list<QWidget*> widgets) {
  int column = 0;
  for (QWidget* widget : widgets) grid->addWidget(widget, row, column++);
}

void sendCommand(int commandId, int code, const char* data = nullptr, int length = 0) {
  CommandId = commandId;
  SendCommand(code, reinterpret_cast<const uint8_t*>(data), length);
}

// The track setting lines carry the track character and one setting
// character; the track is the first checked of the three radio buttons.
void sendTrackSetting(int commandId, int code, const char* const data[3],
                      const QRadioButton* const tracks[3]) {
  CommandId = commandId;
  for (int i = 0; i < 3; ++i) {
    if (tracks[i]->isChecked()) {
      SendCommand(code, reinterpret_cast<const uint8_t*>(data[i]), 2);
      return;
    }
  }
}

// The text of a setting edit as sent: at most `length` characters, as typed.
std::string settingText(const QLineEdit* edit, int length) {
  return ControlBytes(edit->text().left(length));
}

}  // namespace

void TForm1::buildCardControlPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);

  GroupBox15 = new QGroupBox("[ Initial / Version ]", page);
  GroupBox15->setObjectName("GroupBox15");
  auto* initial = new QHBoxLayout(GroupBox15);
  Button3 = commandButton(GroupBox15, "Button3", "Reset");
  Button14 = commandButton(GroupBox15, "Button14", "Version");
  initial->addWidget(Button3);
  initial->addWidget(Button14);
  initial->addStretch();
  column->addWidget(GroupBox15);

  GroupBox1 = new QGroupBox("[ Setting ] ", page);
  GroupBox1->setObjectName("GroupBox1");
  auto* settings = new QGridLayout(GroupBox1);
  RadioButton1 = new QRadioButton("Track #1", GroupBox1);
  RadioButton1->setObjectName("RadioButton1");
  RadioButton1->setChecked(true);
  RadioButton2 = new QRadioButton("Track #2", GroupBox1);
  RadioButton2->setObjectName("RadioButton2");
  RadioButton3 = new QRadioButton("Track #3", GroupBox1);
  RadioButton3->setObjectName("RadioButton3");
  addRow(settings, 0, {RadioButton1, RadioButton2, RadioButton3});
  Button4 = commandButton(GroupBox1, "Button4", "Start Sentinel");
  Button5 = commandButton(GroupBox1, "Button5", "End  Sentinel");
  Button6 = commandButton(GroupBox1, "Button6", "Parity Bit");
  addRow(settings, 1, {Button4, Button5, Button6});

  ComboBox1 = new QComboBox(GroupBox1);
  ComboBox1->setObjectName("ComboBox1");
  ComboBox1->addItems({"ISO", "BIT"});
  Button7 = commandButton(GroupBox1, "Button7", "Norm");
  settings->addWidget(ComboBox1, 2, 0);
  settings->addWidget(Button7, 2, 2);

  Edit1 = settingEdit(GroupBox1, "Edit1", "1", 1);
  auto* timesLabel = new QLabel("Times ( Input range : 1 ~ 9 )", GroupBox1);
  Button8 = commandButton(GroupBox1, "Button8", "Repeat Count");
  addRow(settings, 3, {Edit1, timesLabel, Button8});

  Edit2 = settingEdit(GroupBox1, "Edit2", "00", 2);
  auto* secondsLabel = new QLabel("Sec ( Input range : 00 ~ 99 )", GroupBox1);
  Button15 = commandButton(GroupBox1, "Button15", "Wait Time Set");
  addRow(settings, 4, {Edit2, secondsLabel, Button15});

  Button40 = commandButton(GroupBox1, "Button40", "LO_CO");
  Button43 = commandButton(GroupBox1, "Button43", "HI_CO");
  addRow(settings, 5, {Button40, Button43});
  column->addWidget(GroupBox1);

  for (QWidget* hidden : std::initializer_list<QWidget*>{
           RadioButton1, RadioButton2, RadioButton3, Button4, Button5, Button6, ComboBox1, Button7,
           Edit1, timesLabel, Button8, Edit2, secondsLabel, Button15}) {
    hidden->hide();
  }

  GroupBox16 = new QGroupBox("[ Card Move ]", page);
  GroupBox16->setObjectName("GroupBox16");
  GroupBox16->hide();
  column->addWidget(GroupBox16);

  auto* cardMoves = new QHBoxLayout;
  Button1 = commandButton(page, "Button1", "No Operation");
  Button2 = commandButton(page, "Button2", "Entry Front");
  Button9 = commandButton(page, "Button9", "Encoder");
  Button10 = commandButton(page, "Button10", "Eject Back");
  Button11 = commandButton(page, "Button11", "Eject Front");
  Button12 = commandButton(page, "Button12", "Move Back");
  Button13 = commandButton(page, "Button13", "Move Front");
  for (QPushButton* hidden : {Button1, Button2, Button9, Button10, Button11, Button12, Button13}) {
    cardMoves->addWidget(hidden);
    hidden->hide();
  }
  column->addLayout(cardMoves);

  GroupBox17 = new QGroupBox("[ IC Card Control ]", page);
  GroupBox17->setObjectName("GroupBox17");
  auto* icControls = new QGridLayout(GroupBox17);
  CheckBox8 = new QCheckBox("Entry", GroupBox17);
  CheckBox8->setObjectName("CheckBox8");
  CheckBox8->setChecked(true);
  CheckBox8->hide();
  icControls->addWidget(CheckBox8, 0, 0);
  GroupBox17->hide();
  column->addWidget(GroupBox17);
  column->addStretch();

  bindClick(Button3, [this] { Button3Click(); });
  bindClick(Button14, [this] { Button14Click(); });
  bindClick(Button40, [this] { Button40Click(); });
  bindClick(Button43, [this] { Button43Click(); });
  bindClick(Button1, [this] { Button1Click(); });
  bindClick(Button2, [this] { Button2Click(); });
  bindClick(Button9, [this] { Button9Click(); });
  bindClick(Button10, [this] { Button10Click(); });
  bindClick(Button11, [this] { Button11Click(); });
  bindClick(Button12, [this] { Button12Click(); });
  bindClick(Button13, [this] { Button13Click(); });
  bindClick(Button4, [this] { Button4Click(); });
  bindClick(Button5, [this] { Button5Click(); });
  bindClick(Button6, [this] { Button6Click(); });
  bindClick(Button7, [this] { Button7Click(); });
  bindClick(Button8, [this] { Button8Click(); });
  bindClick(Button15, [this] { Button15Click(); });
}

void TForm1::Button3Click() { sendCommand(1, CMD_RESET); }

void TForm1::Button14Click() { sendCommand(99, CMD_VERSION); }

void TForm1::Button40Click() { sendCommand(13, CMD_LO_CO); }

void TForm1::Button43Click() { sendCommand(14, CMD_HI_CO); }

// On a serial link SendCommand waits up to 5000 ms for the start of the
// reader's answer to this command.
void TForm1::Button1Click() {
  ProcessMessages();
  sendCommand(0, CMD_NO_OPERATION);
  ProcessMessages();
}

void TForm1::Button2Click() { sendCommand(16, CMD_ENTRY_FRONT); }

void TForm1::Button9Click() { sendCommand(12, CMD_CARD_IN); }

void TForm1::Button10Click() { sendCommand(15, CMD_EJECT_BACK); }

// "Eject Front"; also what the other pages' "Eject" buttons do.
void TForm1::Button11Click() { sendCommand(17, CMD_EJECT_FRONT); }

void TForm1::Button12Click() { sendCommand(70, CMD_MOVE_BACK); }

void TForm1::Button13Click() { sendCommand(71, CMD_MOVE_FRONT); }

void TForm1::Button4Click() {
  static const char* const data[3] = {"1%", "2;", "3;"};
  const QRadioButton* const tracks[3] = {RadioButton1, RadioButton2, RadioButton3};
  sendTrackSetting(4, CMD_START_SENTINEL, data, tracks);
}

void TForm1::Button5Click() {
  static const char* const data[3] = {"1?", "2?", "3?"};
  const QRadioButton* const tracks[3] = {RadioButton1, RadioButton2, RadioButton3};
  sendTrackSetting(5, CMD_END_SENTINEL, data, tracks);
}

void TForm1::Button6Click() {
  static const char* const data[3] = {"11", "21", "31"};
  const QRadioButton* const tracks[3] = {RadioButton1, RadioButton2, RadioButton3};
  sendTrackSetting(6, CMD_PARITY_BIT, data, tracks);
}

void TForm1::Button7Click() {
  NormChar[0] = ComboBox1->currentIndex() == 1 ? 'B' : 'I';
  sendCommand(8, CMD_SET_NORM, NormChar, 1);
}

// The repeat count and the wait time carry one and two characters as typed;
// a shorter text goes out shorter (the reader refuses it) rather than padded
// with bytes the operator never typed.
void TForm1::Button8Click() {
  const std::string times = settingText(Edit1, 1);
  sendCommand(7, CMD_REPEAT_COUNT, times.data(), static_cast<int>(times.size()));
}

void TForm1::Button15Click() {
  const std::string seconds = settingText(Edit2, 2);
  sendCommand(41, CMD_WAIT_TIME, seconds.data(), static_cast<int>(seconds.size()));
}

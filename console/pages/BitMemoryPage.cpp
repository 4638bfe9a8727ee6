// "Read Bit Memory": asks the reader for the raw bits it kept from its last
// read, in one of five windows; the reply handler shows them in Memo4.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/EventHandlers.h"
#include "Main.h"
#include "reply/MainState.h"
#include "bit_memory_picture.h"
#include "link/link.h"
#include "pages/PageState.h"

namespace {

struct BitWindow {
  const char* caption;
  int commandCode;
  int commandId;
};

// Indexed by BitMemoryMode - 1.
const BitWindow kBitWindows[5] = {
    {"Read bit memory of the last read, bits 001 - 200", CMD_BITS_001_200, 30},
    {"Read bit memory of the last read, bits 201 - 400", CMD_BITS_201_400, 31},
    {"Read bit memory of the last read, bits 401 - 600", CMD_BITS_401_600, 32},
    {"Read bit memory of the last read, bits 601 - 800", CMD_BITS_601_800, 33},
    {"Read bit memory of the last read, bits 001 - 800", CMD_BITS_001_800, 34},
};

}  // namespace

void TForm1::buildBitMemoryPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  GroupBox14 = new QGroupBox("[ Select Commands ]", page);
  GroupBox14->setObjectName("GroupBox14");
  auto* commands = new QVBoxLayout(GroupBox14);
  QRadioButton** radios[5] = {&RadioButton16, &RadioButton17, &RadioButton18, &RadioButton19,
                              &RadioButton20};
  for (int i = 0; i < 5; ++i) {
    *radios[i] = new QRadioButton(kBitWindows[i].caption, GroupBox14);
    (*radios[i])->setObjectName(QString("RadioButton%1").arg(16 + i));
    commands->addWidget(*radios[i]);
  }
  RadioButton16->setChecked(true);
  auto* buttons = new QHBoxLayout;
  Button20 = new QPushButton("Send", GroupBox14);
  Button20->setObjectName("Button20");
  Button21 = new QPushButton("Clear", GroupBox14);
  Button21->setObjectName("Button21");
  buttons->addWidget(Button20);
  buttons->addWidget(Button21);
  buttons->addStretch();
  commands->addLayout(buttons);
  grid->addWidget(GroupBox14, 0, 0);

  // The picture fills whatever frame the layout gives it.
  Image2 = new QLabel(page);
  Image2->setObjectName("Image2");
  Image2->setScaledContents(true);
  Image2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  Image2->setMinimumHeight(100);
  Image2->setPixmap(QPixmap::fromImage(BitMemoryPicture()));
  grid->addWidget(Image2, 1, 0);

  GroupBox18 = new QGroupBox("[ Bit Memory ]", page);
  GroupBox18->setObjectName("GroupBox18");
  auto* frame = new QVBoxLayout(GroupBox18);
  Memo4 = new QPlainTextEdit(GroupBox18);
  Memo4->setObjectName("Memo4");
  Memo4->setReadOnly(true);
  Memo4->setWordWrapMode(QTextOption::WrapAnywhere);  // bit text has no blanks
  QPalette infoColours = Memo4->palette();
  infoColours.setColor(QPalette::Base, infoColours.color(QPalette::ToolTipBase));
  Memo4->setPalette(infoColours);
  frame->addWidget(Memo4);
  grid->addWidget(GroupBox18, 2, 0);
  grid->setRowStretch(1, 1);
  grid->setRowStretch(2, 2);

  bindClick(RadioButton16, [this] { RadioButton16Click(); });
  bindClick(RadioButton17, [this] { RadioButton17Click(); });
  bindClick(RadioButton18, [this] { RadioButton18Click(); });
  bindClick(RadioButton19, [this] { RadioButton19Click(); });
  bindClick(RadioButton20, [this] { RadioButton20Click(); });
  bindClick(Button20, [this] { Button20Click(); });
  bindClick(Button21, [this] { Button21Click(); });
}

void TForm1::RadioButton16Click() { BitMemoryMode = 1; }
void TForm1::RadioButton17Click() { BitMemoryMode = 2; }
void TForm1::RadioButton18Click() { BitMemoryMode = 3; }
void TForm1::RadioButton19Click() { BitMemoryMode = 4; }
void TForm1::RadioButton20Click() { BitMemoryMode = 5; }

// The window comes from BitMemoryMode, not from the radio buttons; any mode
// but 2-5 (the initial 0 among them) is the first window.
void TForm1::Button20Click() {
  const BitWindow& window =
      BitMemoryMode >= 2 && BitMemoryMode <= 5 ? kBitWindows[BitMemoryMode - 1] : kBitWindows[0];
  CommandId = window.commandId;
  SendCommand(window.commandCode, nullptr, 0);
}

void TForm1::Button21Click() {
  Memo4->clear();
  setPanelText("Form Clear OK !!");
}

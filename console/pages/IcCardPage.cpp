// "IC Card Test": the reader's IC card module. Each button stores the
// CommandId of the reply it expects and sends one command without waiting;
// the reply handler reports the reply, and dumps it as hex (Memo10) and text
// (Memo9) when HexDumpFlag was set. The loop and "Break" are in
// IcCardLoop.cpp.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstring>
#include <string>

#include "Main.h"
#include "gui/ControlText.h"
#include "gui/EventHandlers.h"
#include "gui/MessageDialogs.h"
#include "link/link.h"
#include "reply/MainState.h"

namespace {

// The longest direct command text the console has ever taken (a buffer of
// 1024 bytes with its terminating zero). Longer text is refused rather than
// cut, so that no command other than the one typed goes out.
constexpr size_t kDirectTextLimit = 1023;

const char kTooLongText[] =
    "Direct Command too long: 1023 characters at most (a line break counts two), nothing sent";

// One button of the IC controls: on the page and its twin in GroupBox17.
struct IcButton {
  const char* caption;
  QPushButton* TForm1::*onPage;
  const char* pageName;
  QPushButton* TForm1::*twin;
  const char* twinName;
  void (TForm1::*handler)();
  bool shown;
};

const IcButton kIcButtons[] = {
    {"Card Entry", &TForm1::Button47, "Button47", &TForm1::Button28, "Button28",
     &TForm1::Button28Click, true},
    {"Power OFF", &TForm1::Button48, "Button48", &TForm1::Button29, "Button29",
     &TForm1::Button29Click, true},
    {"Direct Comm", &TForm1::Button49, "Button49", &TForm1::Button30, "Button30",
     &TForm1::Button30Click, true},
    {"Clear", &TForm1::Button50, "Button50", &TForm1::Button31, "Button31",
     &TForm1::Button31Click, true},
    {"Pow ON (ISO)", &TForm1::Button51, "Button51", &TForm1::Button32, "Button32",
     &TForm1::Button32Click, true},
    {"Pow ON (EMV)", &TForm1::Button52, "Button52", &TForm1::Button33, "Button33",
     &TForm1::Button33Click, true},
    {"Loop", &TForm1::Button53, "Button53", &TForm1::Button35, "Button35",
     &TForm1::Button35Click, false},
    {"Break", &TForm1::Button54, "Button54", &TForm1::Button36, "Button36",
     &TForm1::Button36Click, false},
};

QPlainTextEdit* icMemo(QWidget* parent, const char* name) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return memo;
}

// The three headings, one under the other from row 0, each over its memo
// where it has one.
void addMemoColumn(QGridLayout* grid, int column, QWidget* parent,
                   QPlainTextEdit* const (&memos)[3]) {
  const char* const headings[3] = {"Response Data (Hex)", "Response Data (Ascii)",
                                   "Direct Command"};
  for (int at = 0; at < 3; ++at) {
    grid->addWidget(new QLabel(headings[at], parent), 2 * at, column);
    if (memos[at]) grid->addWidget(memos[at], 2 * at + 1, column);
  }
}

void sendIcCommand(int commandId, int code, const char* data, int length) {
  CommandId = commandId;
  SendCommand(code, reinterpret_cast<const uint8_t*>(data), length);
}

void sendPowerOn(const char* mode) {
  HexDumpFlag = 1;
  sendIcCommand(51, CMD_IC_POWER_ON, mode, 1);
}

}  // namespace

// GroupBox17 on "Initial / Card Control" is built first, holding CheckBox8;
// the twins of this page's controls are added to it here.
void TForm1::buildIcCardPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  GroupBox25 = new QGroupBox("[ IC Card Control ]", page);
  GroupBox25->setObjectName("GroupBox25");
  auto* controls = new QGridLayout(GroupBox25);
  auto* twins = qobject_cast<QGridLayout*>(GroupBox17->layout());
  int row = 0;
  for (const IcButton& spec : kIcButtons) {
    QPushButton* button = new QPushButton(spec.caption, GroupBox25);
    button->setObjectName(spec.pageName);
    if (!spec.shown) button->hide();
    controls->addWidget(button, row, 0);
    QPushButton* twin = new QPushButton(spec.caption, GroupBox17);
    twin->setObjectName(spec.twinName);
    if (!spec.shown) twin->hide();
    twins->addWidget(twin, row + 1, 0);
    this->*spec.onPage = button;
    this->*spec.twin = twin;
    const auto handler = spec.handler;
    bindClick(button, [this, handler] { (this->*handler)(); });
    bindClick(twin, [this, handler] { (this->*handler)(); });
    ++row;
  }
  CheckBox12 = new QCheckBox("Entry", GroupBox25);
  CheckBox12->setObjectName("CheckBox12");
  CheckBox12->setChecked(true);
  CheckBox12->hide();
  controls->addWidget(CheckBox12, row, 0);
  controls->setRowStretch(row + 1, 1);
  grid->addWidget(GroupBox25, 0, 0, 6, 1);

  Memo10 = icMemo(page, "Memo10");
  Memo10->setReadOnly(true);
  Memo9 = icMemo(page, "Memo9");
  Memo11 = icMemo(page, "Memo11");
  addMemoColumn(grid, 1, page, {Memo10, Memo9, Memo11});
  grid->setColumnStretch(1, 1);

  Memo7 = icMemo(GroupBox17, "Memo7");
  Memo7->hide();
  addMemoColumn(twins, 1, GroupBox17, {Memo7, nullptr, nullptr});
}

void TForm1::Button28Click() { sendIcCommand(50, CMD_IC_ENTRY, nullptr, 0); }

void TForm1::Button29Click() { sendIcCommand(52, CMD_IC_POWER_OFF, nullptr, 0); }

void TForm1::Button32Click() { sendPowerOn("0"); }

void TForm1::Button33Click() { sendPowerOn("1"); }

// The text of Memo11 without its blanks (tabs and line breaks stay) goes to
// the module as it is; the module answers what it makes of it. A text that
// cannot be sent (too long, or a character outside Latin-1) is refused before
// anything is set or sent.
void TForm1::Button30Click() {
  const std::string text = ControlBytes(Memo11);
  if (text.size() > kDirectTextLimit) {
    ShowMessage(kTooLongText);
    return;
  }
  HexDumpFlag = 1;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  int length = 0;
  for (char c : text) {
    if (c != ' ') TxBuffer[length++] = c;
  }
  sendIcCommand(53, CMD_IC_DIRECT, TxBuffer, length);
}

void TForm1::Button31Click() {
  // Through the queue of the reply handler's changes, so that a dump queued
  // before the click cannot land after it.
  setMemoText(Memo10, "");
  setMemoText(Memo11, "");
  setMemoText(Memo9, "");
  setPanelText("Form Clear OK !!");
}

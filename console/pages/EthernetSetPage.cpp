// "Ethernet Set": writes the reader's own network settings and reads them
// back. Both handlers send one command and return; the reply handler shows
// the outcome and fills the edits from a read-back.
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "Main.h"
#include "gui/ControlText.h"
#include "gui/EventHandlers.h"
#include "gui/GuiThread.h"
#include "gui/MessageDialogs.h"
#include "link/link.h"
#include "pages/NetSettingsWrite.h"
#include "reply/MainState.h"
#include "reply/NetSettingsReply.h"

void TForm1::buildEthernetSetPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);
  Panel2 = new QFrame(page);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* grid = new QGridLayout(Panel2);

  struct Group {
    QCheckBox** box;
    const char* name;
    const char* caption;
    std::array<QLineEdit**, 6> edits;
    int count;
  };
  const Group groups[] = {
      {&cMac, "cMac", "MAC", {&eMac1, &eMac2, &eMac3, &eMac4, &eMac5, &eMac6}, 6},
      {&cIP, "cIP", "My IP", {&eIP1, &eIP2, &eIP3, &eIP4}, 4},
      {&cGate, "cGate", "GATE", {&eGate1, &eGate2, &eGate3, &eGate4}, 4},
      {&cSubnet, "cSubnet", "SUB", {&eSubnet1, &eSubnet2, &eSubnet3, &eSubnet4}, 4},
      {&cDNS, "cDNS", "DNS", {&eDns1, &eDns2, &eDns3, &eDns4}, 4},
      {&cEPort, "cEPort", "PORT", {&eEPort}, 1},
  };
  int row = 0;
  for (const Group& group : groups) {
    auto* box = new QCheckBox(group.caption, Panel2);
    box->setObjectName(group.name);
    *group.box = box;
    grid->addWidget(box, row, 0);
    for (int i = 0; i < group.count; ++i) {
      auto* edit = new QLineEdit(Panel2);
      edit->setMaximumWidth(group.count == 1 ? 120 : 60);
      *group.edits[i] = edit;
      grid->addWidget(edit, row, 1 + i);
    }
    ++row;
  }
  const char* names[23] = {"eMac1",  "eMac2",  "eMac3",    "eMac4",    "eMac5",    "eMac6",
                           "eIP1",   "eIP2",   "eIP3",     "eIP4",     "eGate1",   "eGate2",
                           "eGate3", "eGate4", "eSubnet1", "eSubnet2", "eSubnet3", "eSubnet4",
                           "eDns1",  "eDns2",  "eDns3",    "eDns4",    "eEPort"};
  const std::array<QLineEdit*, 23> edits = netSettingsEdits();
  for (size_t i = 0; i < edits.size(); ++i) edits[i]->setObjectName(names[i]);
  // The MAC group cannot be selected: its edits only show what a read brings.
  cMac->setEnabled(false);
  for (int mac = 0; mac < 6; ++mac) {
    edits[mac]->setMaxLength(2);
    edits[mac]->setEnabled(false);
  }
  grid->setColumnStretch(7, 1);

  auto* buttons = new QHBoxLayout;
  Button55 = new QPushButton("Write", Panel2);
  Button55->setObjectName("Button55");
  Button56 = new QPushButton("Read", Panel2);
  Button56->setObjectName("Button56");
  SET = new QToolButton(Panel2);
  SET->setObjectName("SET");
  SET->setText("Write");
  SET->hide();
  SpeedButton2 = new QToolButton(Panel2);
  SpeedButton2->setObjectName("SpeedButton2");
  SpeedButton2->setText("Read");
  SpeedButton2->hide();
  for (QAbstractButton* button :
       {static_cast<QAbstractButton*>(Button55), static_cast<QAbstractButton*>(Button56),
        static_cast<QAbstractButton*>(SET), static_cast<QAbstractButton*>(SpeedButton2)}) {
    buttons->addWidget(button);
  }
  buttons->addStretch();
  grid->addLayout(buttons, row, 0, 1, 8);

  bindClick(Button55, [this] { Button55Click(); });
  bindClick(Button56, [this] { Button56Click(); });
  bindClick(SET, [this] { SETClick(); });
  bindClick(SpeedButton2, [this] { SpeedButton2Click(); });

  column->addWidget(Panel2);
  column->addStretch();
}

std::array<QLineEdit*, 23> TForm1::netSettingsEdits() const {
  return {eMac1,    eMac2,    eMac3,  eMac4,  eMac5,  eMac6,  eIP1,     eIP2,
          eIP3,     eIP4,     eGate1, eGate2, eGate3, eGate4, eSubnet1, eSubnet2,
          eSubnet3, eSubnet4, eDns1,  eDns2,  eDns3,  eDns4,  eEPort};
}

void TForm1::Button55Click() {
  NetSettingsForm form;
  form.mac = cMac->isChecked();
  form.ip = cIP->isChecked();
  form.gate = cGate->isChecked();
  form.subnet = cSubnet->isChecked();
  form.dns = cDNS->isChecked();
  form.port = cEPort->isChecked();
  const std::array<QLineEdit*, 23> edits = netSettingsEdits();
  for (int mac = 0; mac < 6; ++mac) {
    // A single character is taken as the low digit, and shown so.
    if (form.mac && edits[mac]->text().size() == 1) edits[mac]->setText("0" + edits[mac]->text());
    form.macTexts[mac] = ControlBytes(edits[mac]->text());
  }
  for (int octet = 0; octet < 16; ++octet)
    form.octetTexts[octet] = ControlBytes(edits[6 + octet]->text());
  form.portText = ControlBytes(eEPort->text());
  // A value out of range would go out as its low bits, and the reader would
  // take an address or port that nobody typed.
  const std::string refusal = NetSettingsRefusal(form);
  if (!refusal.empty()) {
    ShowMessage(refusal);
    return;
  }

  CommandId = 3030;
  const std::string data = NetSettingsWriteData(form);
  SendCommand(CMD_NET_WRITE, reinterpret_cast<const uint8_t*>(data.data()),
              static_cast<int>(data.size()));
}

void TForm1::SETClick() { Button55Click(); }

void TForm1::Button56Click() {
  CommandId = 3031;
  SendCommand(CMD_NET_READ, reinterpret_cast<const uint8_t*>("3F"), 2);
}

void TForm1::SpeedButton2Click() { Button56Click(); }

void TForm1::showNetSettings(const NetSettingsReadBack& readBack) {
  runOnGuiThread(this, [this, readBack] {
    const std::array<QLineEdit*, 23> edits = netSettingsEdits();
    for (int i = 0; i < readBack.fieldCount; ++i) {
      edits[static_cast<size_t>(i)]->setText(
          QString::fromLatin1(readBack.texts[static_cast<size_t>(i)].c_str()));
    }
  });
  if (readBack.fieldCount < static_cast<int>(readBack.texts.size())) {
    ShowStatus("Ethernet Read: reply too short, " + std::to_string(readBack.fieldCount) +
               " of 23 settings shown");
  }
}

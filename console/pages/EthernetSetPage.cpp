// "Ethernet Set": the reader's own network settings.
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/GuiThread.h"
#include "Main.h"

void TForm1::buildEthernetSetPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);
  Panel2 = new QFrame(page);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* grid = new QGridLayout(Panel2);

  struct Group {
    const char* caption;
    std::array<QLineEdit**, 6> edits;
    int count;
  };
  const Group groups[] = {
      {"MAC", {&eMac1, &eMac2, &eMac3, &eMac4, &eMac5, &eMac6}, 6},
      {"My IP", {&eIP1, &eIP2, &eIP3, &eIP4}, 4},
      {"GATE", {&eGate1, &eGate2, &eGate3, &eGate4}, 4},
      {"SUB", {&eSubnet1, &eSubnet2, &eSubnet3, &eSubnet4}, 4},
      {"DNS", {&eDns1, &eDns2, &eDns3, &eDns4}, 4},
      {"PORT", {&eEPort}, 1},
  };
  int row = 0;
  for (const Group& group : groups) {
    grid->addWidget(new QLabel(group.caption, Panel2), row, 0);
    for (int i = 0; i < group.count; ++i) {
      auto* edit = new QLineEdit(Panel2);
      edit->setMaximumWidth(group.count == 1 ? 120 : 60);
      *group.edits[i] = edit;
      grid->addWidget(edit, row, 1 + i);
    }
    ++row;
  }
  const char* names[23] = {"eMac1",    "eMac2",    "eMac3",    "eMac4",    "eMac5",  "eMac6",
                           "eIP1",     "eIP2",     "eIP3",     "eIP4",     "eGate1", "eGate2",
                           "eGate3",   "eGate4",   "eSubnet1", "eSubnet2", "eSubnet3",
                           "eSubnet4", "eDns1",    "eDns2",    "eDns3",    "eDns4",  "eEPort"};
  const std::array<QLineEdit*, 23> edits = netSettingsEdits();
  for (size_t i = 0; i < edits.size(); ++i) edits[i]->setObjectName(names[i]);
  for (int mac = 0; mac < 6; ++mac) {
    edits[mac]->setMaxLength(2);
    edits[mac]->setEnabled(false);
  }
  grid->setColumnStretch(7, 1);
  column->addWidget(Panel2);
  column->addStretch();
}

std::array<QLineEdit*, 23> TForm1::netSettingsEdits() const {
  return {eMac1,    eMac2,    eMac3,    eMac4,    eMac5,  eMac6,  eIP1,     eIP2,
          eIP3,     eIP4,     eGate1,   eGate2,   eGate3, eGate4, eSubnet1, eSubnet2,
          eSubnet3, eSubnet4, eDns1,    eDns2,    eDns3,  eDns4,  eEPort};
}

void TForm1::showNetSettings(const std::array<std::string, 23>& texts) {
  runOnGuiThread(this, [this, texts] {
    const std::array<QLineEdit*, 23> edits = netSettingsEdits();
    for (size_t i = 0; i < edits.size(); ++i) edits[i]->setText(QString::fromLatin1(texts[i].c_str()));
  });
}

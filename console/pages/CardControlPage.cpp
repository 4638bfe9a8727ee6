// "Initial / Card Control": reader commands and track settings.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "Main.h"

void TForm1::buildCardControlPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);

  GroupBox1 = new QGroupBox("[ Setting ] ", page);
  GroupBox1->setObjectName("GroupBox1");
  auto* settings = new QGridLayout(GroupBox1);
  ComboBox1 = new QComboBox(GroupBox1);
  ComboBox1->setObjectName("ComboBox1");
  ComboBox1->addItems({"ISO", "BIT"});
  ComboBox1->hide();
  settings->addWidget(ComboBox1, 0, 0);
  column->addWidget(GroupBox1);

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
}

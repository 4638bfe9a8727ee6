// "Firmware": the firmware download.
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "Main.h"

void TForm1::buildFirmwarePage(QWidget* page) {
  auto* column = new QVBoxLayout(page);

  GroupBox22 = new QGroupBox("II F/W Down Load II", page);
  GroupBox22->setObjectName("GroupBox22");
  auto* frame = new QVBoxLayout(GroupBox22);
  auto addButton = [this, frame](const char* name, const char* caption) {
    auto* button = new QPushButton(caption, GroupBox22);
    button->setObjectName(name);
    button->hide();
    frame->addWidget(button);
    return button;
  };
  btnBoot = addButton("btnBoot", "BOOT JUMP");
  btnApp = addButton("btnApp", "APP' JUMP");
  btnApp->setEnabled(false);
  btnBootVer = addButton("btnBootVer", "BOOT VER'");
  btnBootVer->setEnabled(false);
  column->addWidget(GroupBox22);

  btnFile = new QPushButton("FILE.....", page);
  btnFile->setObjectName("btnFile");
  column->addWidget(btnFile);
  column->addStretch();
}

#include "Portopen.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "gui/DialogButtons.h"
#include "Main.h"
#include "reply/MainState.h"
#include "gui/MessageDialogs.h"
#include "link/link.h"

TPortForm* PortForm = nullptr;

namespace {

int baudOfIndex(int index) {
  switch (index) {
    case 0: return 57600;
    case 1: return 19200;
    case 2: return 38400;
    default: return 9600;
  }
}

}  // namespace

TPortForm::TPortForm(QWidget* parent) : QDialog(parent) {
  setObjectName("PortForm");
  setWindowTitle("Port Open");
  auto* grid = new QGridLayout(this);

  COM = new QComboBox(this);
  COM->setObjectName("COM");
  COM->addItems({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"});
  BAUD = new QComboBox(this);
  BAUD->setObjectName("BAUD");
  BAUD->addItems({"57600", "19200", "38400", "9600"});

  grid->addWidget(new QLabel("COM Port :", this), 0, 0);
  grid->addWidget(COM, 0, 1);
  grid->addWidget(new QLabel("Baud Rate :", this), 1, 0);
  grid->addWidget(BAUD, 1, 1);
  grid->addWidget(new QLabel("Parity Bit :", this), 2, 0);
  grid->addWidget(new QLabel("None", this), 2, 1);
  grid->addWidget(new QLabel("Data Bit :", this), 3, 0);
  grid->addWidget(new QLabel("8 Bits", this), 3, 1);
  grid->addWidget(new QLabel("StopBit :", this), 4, 0);
  grid->addWidget(new QLabel("1 Bits", this), 4, 1);

  const DialogButtons buttons =
      addSetCancelRow(this, grid, 5, [this] { Button1Click(); }, [this] { Button2Click(); });
  Button1 = buttons.set;
  Button2 = buttons.cancel;
}

TPortForm::~TPortForm() { forgetForm(this); }

void TPortForm::FormActivate() {
  COM->setCurrentIndex(0);
  BAUD->setCurrentIndex(3);
}

void TPortForm::Button1Click() {
  const int port = COM->currentIndex() >= 0 ? COM->currentIndex() + 1 : 1;
  const int baud = baudOfIndex(BAUD->currentIndex());
  OpenSerialPort(port, baud);
  // The probe's reply is reported as the Eject Front it is.
  CommandId = 17;
  if (SendCommand(CMD_EJECT_FRONT, nullptr, 0) == 1) {
    Form1->PageControl1->setEnabled(true);
    accept();
    return;
  }
  ShowMessage("Com Port open Fail!!");
  CloseSerialPort();
}

void TPortForm::Button2Click() { reject(); }

#include "ConsoleWindows.h"

#include <QApplication>

#include "ActiveForm.h"
#include "EscapeKey.h"
#include "Ethernetopen.h"
#include "GuiThread.h"
#include "Main.h"
#include "MessageDialogs.h"
#include "Portopen.h"
#include "Unit2.h"

void createConsoleWindows(QApplication& application) {
  markGuiThread();
  installMessageBoxes();
  installEscapeWatch(application);
  Form1 = new TForm1;
  PortForm = new TPortForm;
  Ethernet = new TEthernet;
  Remove = new TRemove;
  Form1->show();
  activateMainForm(Form1);
}

void destroyConsoleWindows() {
  delete Remove;
  delete Ethernet;
  delete PortForm;
  delete Form1;
  Remove = nullptr;
  Ethernet = nullptr;
  PortForm = nullptr;
  Form1 = nullptr;
}

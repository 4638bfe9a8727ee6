#include "ConsoleWindows.h"

#include <QApplication>

#include <initializer_list>

#include "gui/ActiveForm.h"
#include "gui/EscapeKey.h"
#include "Ethernetopen.h"
#include "Main.h"
#include "gui/MessageDialogs.h"
#include "gui/PlainTextLabels.h"
#include "Portopen.h"
#include "Unit2.h"
#include "ZUV_ETHERNET.h"
#include "link/link.h"
#include "reply/ReplyTurns.h"

void createConsoleWindows(QApplication& application) {
  installMessageBoxes();
  installEscapeWatch(application);
  InstallReplyTurns();
  Form1 = new TForm1;
  PortForm = new TPortForm;
  Ethernet = new TEthernet;
  Remove = new TRemove;
  for (QWidget* window : std::initializer_list<QWidget*>{Form1, PortForm, Ethernet, Remove}) {
    showLabelsAsPlainText(window);
  }
  Form1->show();
  activateMainForm(Form1);
}

void destroyConsoleWindows() {
  // However the run ended, no reply may reach a window that is gone: the
  // serial receive thread has ended once the port is closed.
  CloseSerialPort();
  Closed_Ethernet();
  delete Remove;
  delete Ethernet;
  delete PortForm;
  delete Form1;
  Remove = nullptr;
  Ethernet = nullptr;
  PortForm = nullptr;
  Form1 = nullptr;
}

#include "Ethernetopen.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "gui/ControlText.h"
#include "gui/DialogButtons.h"
#include "Main.h"
#include "ZUV_ETHERNET.h"
#include "link/link.h"

TEthernet* Ethernet = nullptr;

int32_t PortNumberOf(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  const long value = std::strtol(bytes.constData(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

TEthernet::TEthernet(QWidget* parent) : QDialog(parent) {
  setObjectName("Ethernet");
  setWindowTitle("Ethernet");
  auto* grid = new QGridLayout(this);

  MaskEdit1 = new QLineEdit(this);
  MaskEdit1->setObjectName("MaskEdit1");
  RichEdit2 = new QPlainTextEdit("3001", this);
  RichEdit2->setObjectName("RichEdit2");
  RichEdit2->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEdit2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RichEdit2->setTabChangesFocus(true);
  RichEdit2->setFixedHeight(MaskEdit1->sizeHint().height());

  grid->addWidget(new QLabel("IP Address :", this), 0, 0);
  grid->addWidget(MaskEdit1, 0, 1);
  grid->addWidget(new QLabel("Port Number :", this), 1, 0);
  grid->addWidget(RichEdit2, 1, 1);

  const DialogButtons buttons =
      addSetCancelRow(this, grid, 2, [this] { Button1Click(); }, [this] { Button2Click(); });
  Button1 = buttons.set;
  Button2 = buttons.cancel;
  setMinimumWidth(QFontMetrics(font()).horizontalAdvance("Port Number :  255.255.255.255") + 60);
}

void TEthernet::Button1Click() {
  // Taken first: an address the reader cannot be named by is refused before
  // the open link is closed, and the dialog stays for a correction.
  const std::string address = ControlBytes(MaskEdit1->text());
  Closed_Ethernet();
  const int32_t port = PortNumberOf(RichEdit2->toPlainText());
  if (Connect_Ethernet(address.c_str(), port) != 0) {
    LinkMode = LINK_ETHERNET;
    Form1->setPanelText("Ethernet Communication Success !!");
    Form1->PageControl1->setEnabled(true);
  }
  close();
}

void TEthernet::Button2Click() { close(); }

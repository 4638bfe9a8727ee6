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
#include "gui/MessageDialogs.h"
#include "gui/WholeNumber.h"
#include "Main.h"
#include "ZUV_ETHERNET.h"
#include "link/link.h"

TEthernet* Ethernet = nullptr;

namespace {

// Four numbers 0-255 with dots between, written as the link library reads an
// address: no blanks and no leading zeros (it takes no host names either).
bool isDottedAddress(const std::string& text) {
  size_t start = 0;
  for (int number = 1; number <= 4; ++number) {
    const size_t end = number < 4 ? text.find('.', start) : text.size();
    if (end == std::string::npos) return false;
    const std::string digits = text.substr(start, end - start);
    if (digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos ||
        (digits.size() > 1 && digits[0] == '0') || !IsWholeNumberIn(digits, 0, 255)) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

}  // namespace

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
  // Checked first: an address or port the reader cannot be reached at is
  // refused before the open link is closed, and the dialog stays for a
  // correction. The library would connect a port above 65535 to its low
  // 16 bits, a port nobody typed.
  const std::string address = ControlBytes(MaskEdit1->text());
  if (!isDottedAddress(address)) {
    ShowMessage("IP ADDRESS ERROR - Check the IP Address (four numbers 0-255, like 192.168.0.10)");
    return;
  }
  const QString portText = RichEdit2->toPlainText();
  if (!IsWholeNumberIn(portText.toStdString(), 1, 65535)) {
    ShowMessage("PORT ERROR - Check the Port Number (a number 1-65535)");
    return;
  }
  Closed_Ethernet();
  const int32_t port = PortNumberOf(portText);
  if (Connect_Ethernet(address.c_str(), port) != 0) {
    LinkMode = LINK_ETHERNET;
    Form1->setPanelText("Ethernet Communication Success !!");
    Form1->PageControl1->setEnabled(true);
  }
  close();
}

void TEthernet::Button2Click() { close(); }

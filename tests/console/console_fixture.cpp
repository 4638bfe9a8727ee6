#include "console_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <mutex>

#include "ConsoleWindows.h"
#include "Ethernetopen.h"
#include "Main.h"
#include "reply/MainState.h"
#include "Portopen.h"
#include "link/link.h"
#include "platform/message_box.h"

namespace {

std::mutex messagesMutex;
std::vector<std::string> shownMessages;

void captureMessage(const char* text) {
  std::lock_guard<std::mutex> lock(messagesMutex);
  shownMessages.emplace_back(text);
}

}  // namespace

void ConsoleTest::SetUp() {
  CommandId = 0;
  ResponseFlag = 0;
  HexDumpFlag = 0;
  BootMode = 0;
  ErrorCount1 = ErrorCount2 = ErrorCount3 = ErrorCountTimeLox = 0;
  WriteErrorFlag = 0;
  WriteErrorText.Set("");
  std::fill(std::begin(TxBuffer), std::end(TxBuffer), '\0');
  LinkMode = LINK_ETHERNET;
  FramingMode = 0;

  simPty = sim.StartPty();
  ASSERT_FALSE(simPty.empty());
  simTcpPort = sim.StartTcp(0);
  ASSERT_NE(simTcpPort, 0);

  createConsoleWindows(*qApp);
  platform::SetMessageBoxHook(captureMessage);
  clearMessages();
}

void ConsoleTest::TearDown() {
  destroyConsoleWindows();
  SetReceiveCallback(nullptr);
  platform::SetMessageBoxHook(nullptr);
  for (int com = 1; com <= 8; ++com) unsetenv(("COM" + std::to_string(com) + "_DEVICE").c_str());
  LinkMode = LINK_ETHERNET;
  FramingMode = 0;
}

std::vector<std::string> ConsoleTest::messages() {
  std::lock_guard<std::mutex> lock(messagesMutex);
  return shownMessages;
}

void ConsoleTest::clearMessages() {
  std::lock_guard<std::mutex> lock(messagesMutex);
  shownMessages.clear();
}

void ConsoleTest::mapComToSimulator(int comNumber) {
  setenv(("COM" + std::to_string(comNumber) + "_DEVICE").c_str(), simPty.c_str(), 1);
}

void ConsoleTest::onModal(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0, [action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      ADD_FAILURE() << "no modal dialog is shown";
      return;
    }
    action(modal);
  });
}

bool ConsoleTest::openSerialThroughDialog(int comNumber) {
  mapComToSimulator(comNumber);
  onModal([comNumber](QWidget*) {
    PortForm->COM->setCurrentIndex(comNumber - 1);
    PortForm->Button1->click();
    if (PortForm->isVisible()) PortForm->Button2->click();
  });
  Form1->BitBtn1->click();
  return Form1->PageControl1->isEnabled() && LinkMode == LINK_SERIAL;
}

bool ConsoleTest::openEthernetThroughDialog() {
  const QString port = QString::number(simTcpPort);
  onModal([port](QWidget*) {
    Ethernet->MaskEdit1->setText("127.0.0.1");
    Ethernet->RichEdit2->setPlainText(port);
    Ethernet->Button1->click();
  });
  Form1->BitBtn4->click();
  return Form1->PageControl1->isEnabled() && LinkMode == LINK_ETHERNET;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
  return QTest::qWaitFor(condition, timeoutMs);
}

QString panelText() { return Form1->Panel1->text(); }

QString memoText(const char* memoName) {
  return Form1->findChild<QPlainTextEdit*>(memoName)->toPlainText();
}

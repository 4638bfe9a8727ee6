#include "Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Ethernetopen.h"
#include "gui/EventHandlers.h"
#include "gui/GuiThread.h"
#include "gui/HiddenTabs.h"
#include "Portopen.h"
#include "ZUV_ETHERNET.h"
#include "link/link.h"
#include "pages/TestSteps.h"
#include "pages/IcCardLoop.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  markGuiThread();
  acceptGuiChanges(this);
  setObjectName("Form1");
  setWindowTitle("QMR-5170 Application Program ( Ver : 1.01...20130215 )  ");
  resize(860, 640);

  auto* column = new QVBoxLayout(this);
  column->addWidget(buildLinkButtonRow());

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  column->addWidget(PageControl1, 1);
  buildPages();
  PageControl1->setEnabled(false);

  Panel1 = new QLabel("Welcome !!", this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setMinimumHeight(28);
  Panel1->setTextInteractionFlags(Qt::NoTextInteraction);
  column->addWidget(Panel1);

  OpenDir = new QFileDialog(this);
  OpenDir->setObjectName("OpenDir");
  OpenDir->setNameFilter("BIN file (*.bin)");
  OpenDir->setFileMode(QFileDialog::ExistingFile);

  ClientSocket1 = new ClientSocket;
  ClientSocket1->OnConnect = [this](const std::string& host) { ClientSocket1Connect(host); };
  ClientSocket1->OnDisconnect = [this] { ClientSocket1Disconnect(); };
  ClientSocket1->OnError = [this](int& errorCode) { ClientSocket1Error(errorCode); };
  ClientSocket1->OnRead = [this] { ClientSocket1Read(); };

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TForm1::~TForm1() {
  forgetGuiChanges(this);
  forgetForm(this);
  delete ClientSocket1;
}

QWidget* TForm1::buildLinkButtonRow() {
  auto* rowWidget = new QWidget(this);
  auto* row = new QHBoxLayout(rowWidget);
  row->setContentsMargins(0, 0, 0, 0);
  BitBtn1 = addLinkButton(rowWidget, "BitBtn1", " Port Open", QStyle::SP_DialogOpenButton);
  BitBtn2 = addLinkButton(rowWidget, "BitBtn2", " Port Close", QStyle::SP_DialogCloseButton);
  BitBtn4 = addLinkButton(rowWidget, "BitBtn4", " Ethernet Open", QStyle::SP_DriveNetIcon);
  BitBtn8 = addLinkButton(rowWidget, "BitBtn8", "Ethernet Close", QStyle::SP_BrowserStop);
  BitBtn5 = addLinkButton(rowWidget, "BitBtn5", " USB Open", QStyle::SP_DriveFDIcon);
  BitBtn6 = addLinkButton(rowWidget, "BitBtn6", " USB Close", QStyle::SP_DriveFDIcon);
  BitBtn3 = addLinkButton(rowWidget, "BitBtn3", " Exit", QStyle::SP_DialogCancelButton);
  row->addStretch();
  BitBtn5->hide();
  BitBtn6->hide();

  bindClick(BitBtn1, [this] { BitBtn7Click(); });
  bindClick(BitBtn2, [this] { BitBtn2Click(); });
  bindClick(BitBtn4, [this] { BitBtn4Click(); });
  bindClick(BitBtn8, [this] { BitBtn8Click(); });
  bindClick(BitBtn3, [this] { BitBtn3Click(); });
  bindClick(BitBtn5, [this] { BitBtn5Click(); });
  bindClick(BitBtn6, [this] { BitBtn6Click(); });
  return rowWidget;
}

QPushButton* TForm1::addLinkButton(QWidget* row, const char* name, const char* caption,
                                   QStyle::StandardPixmap icon) {
  auto* button = new QPushButton(style()->standardIcon(icon), caption, row);
  button->setObjectName(name);
  button->setMinimumSize(120, 34);
  row->layout()->addWidget(button);
  return button;
}

void TForm1::buildPages() {
  struct PageSpec {
    QWidget** page;
    const char* name;
    const char* caption;
    bool tabShown;
    void (TForm1::*build)(QWidget*);
  };
  const PageSpec pages[] = {
      {&TabSheet1, "TabSheet1", "Initial / Card Control", true, &TForm1::buildCardControlPage},
      {&TabSheet2, "TabSheet2", "Read Test", false, &TForm1::buildReadTestPage},
      {&TabSheet3, "TabSheet3", "Write Test", false, &TForm1::buildWriteTestPage},
      {&TabSheet7, "TabSheet7", "IC Card Test", false, &TForm1::buildIcCardPage},
      {&TabSheet4, "TabSheet4", "Read Bit Memory", false, &TForm1::buildBitMemoryPage},
      {&TabSheet5, "TabSheet5", "ATMEL Card", false, &TForm1::buildAtmelCardPage},
      {&TabSheet6, "TabSheet6", "Ethernet Set", true, &TForm1::buildEthernetSetPage},
      {&TabSheet8, "TabSheet8", "Firmware", true, &TForm1::buildFirmwarePage},
  };
  for (const PageSpec& spec : pages) {
    QWidget* page = new QWidget(PageControl1);
    page->setObjectName(spec.name);
    *spec.page = page;
    (this->*spec.build)(page);
    const int index = PageControl1->addTab(page, spec.caption);
    if (!spec.tabShown) hidePageTab(PageControl1, index);
  }
}

void TForm1::FormActivate() {
  ComboBox1->setCurrentIndex(0);
  CheckBox8->setChecked(true);
  CheckBox9->setChecked(true);
  RadioButton4->setChecked(true);
  RadioButton4Click();  // the read mode follows the button checked, as a click would
  PageControl1->setCurrentIndex(0);
  rgAtmelClick();
}

// ---- link buttons ----------------------------------------------------------

void TForm1::BitBtn7Click() {
  endRunsOnLinkClose();
  CloseSerialPort();
  // Registered before the dialog as well, so that the probe's reply is
  // reported on the first opening of a run too.
  SetReceiveCallback(ReceiveCallback);
  showModal(PortForm, PortForm);
  SetReceiveCallback(ReceiveCallback);
}

void TForm1::BitBtn2Click() {
  endRunsOnLinkClose();
  ClientSocket1->Active = false;
  CloseSerialPort();
  ShowStatus("Com port Closed...");
}

void TForm1::BitBtn4Click() {
  endRunsOnLinkClose();
  showModal(Ethernet, nullptr);
  SetReceiveCallback(ReceiveCallback);
}

void TForm1::BitBtn8Click() {
  endRunsOnLinkClose();
  Closed_Ethernet();
  ShowStatus("Ethernet port Closed...");
}

void TForm1::BitBtn3Click() {
  endRunsOnLinkClose();
  IcLoopBreak = 1;  // a running IC card loop ends at its next step
  Closed_Ethernet();
  CloseSerialPort();
  QApplication::exit(0);
}

void TForm1::BitBtn5Click() {}

void TForm1::BitBtn6Click() {}

// ---- client-socket component -----------------------------------------------

void TForm1::ClientSocket1Connect(const std::string& peerHostName) {
  setPanelText("Connect to: " + peerHostName);
}

void TForm1::ClientSocket1Disconnect() { ClientSocket1->Active = false; }

void TForm1::ClientSocket1Error(int& errorCode) {
  setPanelText("Error connecting to:");
  errorCode = 0;
}

void TForm1::ClientSocket1Read() {}

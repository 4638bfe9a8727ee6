// The console's main window: the link button row, the page control with the
// reader pages and the status panel, and the reply handler that turns the
// reader's replies into what the pages show. Each page is built by its own
// builder (pages/*.cpp); a page's handlers live with its builder.
#pragma once
#include <QStyle>
#include <QWidget>

#include <array>
#include <string>

#include "gui/ActiveForm.h"
#include "gui/ClientSocket.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class RadioGroup;
class AtmelGridModel;
class QToolButton;
struct NetSettingsReadBack;

class TForm1 : public QWidget, public ActivatableForm {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Start values of the pages, applied whenever the window becomes the
  // application's active form (ActiveForm.h).
  void FormActivate() override;

  // Link buttons.
  void BitBtn7Click();  // " Port Open"
  void BitBtn2Click();  // " Port Close"
  void BitBtn4Click();  // " Ethernet Open"
  void BitBtn8Click();  // "Ethernet Close"
  void BitBtn3Click();  // " Exit"
  void BitBtn5Click();  // " USB Open" (hidden; the console has no USB link)
  void BitBtn6Click();  // " USB Close" (hidden)

  // Handlers of the client-socket component; the component is never opened.
  void ClientSocket1Connect(const std::string& peerHostName);
  void ClientSocket1Disconnect();
  void ClientSocket1Error(int& errorCode);
  void ClientSocket1Read();

  // Shows one message on the status line or, for the reply to a pending read
  // or write test command, counts it as that test's error. Any thread.
  void ShowStatus(const std::string& message);

  // Lays the ATMEL grid out for the selected card type; empties its cells.
  void rgAtmelClick();

  // ---- reply actions: any thread; widget changes reach the GUI thread ----
  void setPanelText(const std::string& text);
  void setMemoText(QPlainTextEdit* memo, const std::string& text);
  void enterBootModeButtons();
  // The network-settings edits that a read-back carried; a short one is reported.
  void showNetSettings(const NetSettingsReadBack& readBack);

  // ---- window frame ----
  QPushButton* BitBtn1;  // " Port Open"
  QPushButton* BitBtn2;  // " Port Close"
  QPushButton* BitBtn4;  // " Ethernet Open"
  QPushButton* BitBtn8;  // "Ethernet Close"
  QPushButton* BitBtn3;  // " Exit"
  QPushButton* BitBtn5;  // " USB Open", hidden
  QPushButton* BitBtn6;  // " USB Close", hidden
  QTabWidget* PageControl1;
  QWidget* TabSheet1;  // "Initial / Card Control"
  QWidget* TabSheet2;  // "Read Test" (tab hidden)
  QWidget* TabSheet3;  // "Write Test" (tab hidden)
  QWidget* TabSheet7;  // "IC Card Test" (tab hidden)
  QWidget* TabSheet4;  // "Read Bit Memory" (tab hidden)
  QWidget* TabSheet5;  // "ATMEL Card" (tab hidden)
  QWidget* TabSheet6;  // "Ethernet Set"
  QWidget* TabSheet8;  // "Firmware"
  QLabel* Panel1;
  QFileDialog* OpenDir;
  ClientSocket* ClientSocket1;

  // ---- "Initial / Card Control" ----
  QGroupBox* GroupBox1 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QGroupBox* GroupBox17 = nullptr;
  QCheckBox* CheckBox8 = nullptr;
  QGroupBox* GroupBox15 = nullptr;
  QGroupBox* GroupBox16 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* Button1 = nullptr;   // "No Operation"
  QPushButton* Button2 = nullptr;   // "Entry Front"
  QPushButton* Button3 = nullptr;   // "Reset"
  QPushButton* Button4 = nullptr;   // "Start Sentinel"
  QPushButton* Button5 = nullptr;   // "End  Sentinel"
  QPushButton* Button6 = nullptr;   // "Parity Bit"
  QPushButton* Button7 = nullptr;   // "Norm"
  QPushButton* Button8 = nullptr;   // "Repeat Count"
  QPushButton* Button9 = nullptr;   // "Encoder"
  QPushButton* Button10 = nullptr;  // "Eject Back"
  QPushButton* Button11 = nullptr;  // "Eject Front"
  QPushButton* Button12 = nullptr;  // "Move Back"
  QPushButton* Button13 = nullptr;  // "Move Front"
  QPushButton* Button14 = nullptr;  // "Version"
  QPushButton* Button15 = nullptr;  // "Wait Time Set"
  QPushButton* Button40 = nullptr;  // "LO_CO"
  QPushButton* Button43 = nullptr;  // "HI_CO"
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void Button10Click();
  void Button11Click();  // also the "Eject" buttons of other pages
  void Button12Click();
  void Button13Click();
  void Button14Click();
  void Button15Click();
  void Button40Click();
  void Button43Click();

  // ---- "Read Test" ----
  QRadioButton* RadioButton4 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QGroupBox* GroupBox23 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPlainTextEdit* Memo3 = nullptr;
  QPlainTextEdit* Memo8 = nullptr;
  QLabel* Label18 = nullptr;
  QLineEdit* Edit3 = nullptr;  // "Set Count :"
  QLabel* Label19 = nullptr;
  QLineEdit* Edit4 = nullptr;  // "Do Count :"
  QGroupBox* GroupBox5 = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  QGroupBox* GroupBox7 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox10 = nullptr;  // "TimeLox"
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QRadioButton* RadioButton5 = nullptr;
  QRadioButton* RadioButton6 = nullptr;
  QRadioButton* RadioButton7 = nullptr;
  QRadioButton* RadioButton8 = nullptr;
  QRadioButton* RadioButton9 = nullptr;
  QLabel* Label9 = nullptr;   // error counts: track 1, 2, 3, TimeLox
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label51 = nullptr;
  QLabel* Label15 = nullptr;  // error rates: track 1, 2, 3, TimeLox
  QLabel* Label16 = nullptr;
  QLabel* Label17 = nullptr;
  QLabel* Label52 = nullptr;
  QPushButton* Button16 = nullptr;  // "Start"
  QPushButton* Button17 = nullptr;  // "Break"
  QPushButton* Button19 = nullptr;  // "Clear"
  QPushButton* Button22 = nullptr;  // "Eject "
  void Button16Click();
  void Button17Click();
  void Button19Click();
  void Button22Click();
  void RadioButton4Click();
  void RadioButton5Click();
  void RadioButton6Click();
  void RadioButton7Click();
  void RadioButton8Click();
  void RadioButton9Click();

  // ---- "Write Test" ----
  QLabel* Label35 = nullptr;
  QLineEdit* Edit6 = nullptr;  // "Set Count :"
  QLabel* Label36 = nullptr;
  QLineEdit* Edit5 = nullptr;  // "Do Count :"
  QGroupBox* GroupBox8 = nullptr;
  QGroupBox* GroupBox9 = nullptr;
  QGroupBox* GroupBox10 = nullptr;
  QGroupBox* GroupBox11 = nullptr;
  QGroupBox* GroupBox12 = nullptr;
  QGroupBox* GroupBox13 = nullptr;
  QGroupBox* GroupBox24 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QCheckBox* CheckBox6 = nullptr;
  QCheckBox* CheckBox11 = nullptr;  // "TimeLox"
  QLabel* Label33 = nullptr;
  QLabel* Label34 = nullptr;
  QRadioButton* RadioButton10 = nullptr;
  QRadioButton* RadioButton11 = nullptr;
  QRadioButton* RadioButton12 = nullptr;
  QRadioButton* RadioButton13 = nullptr;
  QRadioButton* RadioButton14 = nullptr;
  QLabel* Label23 = nullptr;
  QLabel* Label24 = nullptr;  // error counts: track 1, 2, 3, TimeLox
  QLabel* Label25 = nullptr;
  QLabel* Label26 = nullptr;
  QLabel* Label55 = nullptr;
  QLabel* Label30 = nullptr;  // error rates: track 1, 2, 3, TimeLox
  QLabel* Label31 = nullptr;
  QLabel* Label32 = nullptr;
  QLabel* Label57 = nullptr;
  QPlainTextEdit* RichEdit1 = nullptr;
  QPlainTextEdit* RichEdit2 = nullptr;
  QPlainTextEdit* RichEdit3 = nullptr;
  QPlainTextEdit* RichEdit4 = nullptr;  // TimeLox
  QPushButton* Button23 = nullptr;  // "Manual"
  QPushButton* Button27 = nullptr;  // "Auto Test"
  QPushButton* Button24 = nullptr;  // "Break"
  QPushButton* Button25 = nullptr;  // "Clear"
  QPushButton* Button26 = nullptr;  // "Eject"
  void Button23Click();
  void Button24Click();
  void Button27Click();  // "Auto Test" (pages/AutoWriteTest.cpp)
  void Button25Click();
  void Button26Click();
  void RadioButton10Click();
  void RadioButton11Click();
  void RadioButton12Click();
  void RadioButton13Click();
  void RadioButton14Click();

  // ---- "IC Card Test" ----
  // The page's controls in GroupBox25 and their hidden twins in GroupBox17
  // (on "Initial / Card Control") share the handlers.
  QGroupBox* GroupBox25 = nullptr;
  QPushButton* Button47 = nullptr;  // "Card Entry"
  QPushButton* Button48 = nullptr;  // "Power OFF"
  QPushButton* Button49 = nullptr;  // "Direct Comm"
  QPushButton* Button50 = nullptr;  // "Clear"
  QPushButton* Button51 = nullptr;  // "Pow ON (ISO)"
  QPushButton* Button52 = nullptr;  // "Pow ON (EMV)"
  QPushButton* Button53 = nullptr;  // "Loop", hidden
  QPushButton* Button54 = nullptr;  // "Break", hidden
  QCheckBox* CheckBox12 = nullptr;  // "Entry", hidden; the loop reads CheckBox8
  QPushButton* Button28 = nullptr;  // the twins in GroupBox17, same captions
  QPushButton* Button29 = nullptr;
  QPushButton* Button30 = nullptr;
  QPushButton* Button31 = nullptr;
  QPushButton* Button32 = nullptr;
  QPushButton* Button33 = nullptr;
  QPushButton* Button35 = nullptr;
  QPushButton* Button36 = nullptr;
  QPlainTextEdit* Memo7 = nullptr;  // in GroupBox17, unused
  QPlainTextEdit* Memo9 = nullptr;   // reply text
  QPlainTextEdit* Memo10 = nullptr;  // reply as hex
  QPlainTextEdit* Memo11 = nullptr;  // "Direct Command"
  void Button28Click();  // "Card Entry"; also the ATMEL page's "Entry"
  void Button29Click();  // "Power OFF"
  void Button30Click();  // "Direct Comm"
  void Button31Click();  // "Clear"
  void Button32Click();  // "Pow ON (ISO)"
  void Button33Click();  // "Pow ON (EMV)"
  void Button35Click();  // "Loop"
  void Button36Click();  // "Break"

  // ---- "Read Bit Memory" ----
  QGroupBox* GroupBox18 = nullptr;
  QPlainTextEdit* Memo4 = nullptr;
  QGroupBox* GroupBox14 = nullptr;
  QRadioButton* RadioButton16 = nullptr;
  QRadioButton* RadioButton17 = nullptr;
  QRadioButton* RadioButton18 = nullptr;
  QRadioButton* RadioButton19 = nullptr;
  QRadioButton* RadioButton20 = nullptr;
  QPushButton* Button20 = nullptr;  // "Send"
  QPushButton* Button21 = nullptr;  // "Clear"
  QLabel* Image2 = nullptr;         // the page's picture, stretched to its frame
  void RadioButton16Click();
  void RadioButton17Click();
  void RadioButton18Click();
  void RadioButton19Click();
  void RadioButton20Click();
  void Button20Click();
  void Button21Click();

  // ---- "ATMEL Card" ----
  RadioGroup* rgAtmel = nullptr;
  QGroupBox* GroupBox19 = nullptr;  // "[ Write Data ]"
  QLabel* Label42 = nullptr;
  QLabel* Label43 = nullptr;
  QLineEdit* edStartWrite = nullptr;
  QLineEdit* edEndWrite = nullptr;
  QPushButton* btnMove = nullptr;
  QPushButton* Button41 = nullptr;  // "AtmelWrite"
  QCheckBox* CheckBox7 = nullptr;   // "Write then verify"
  QGroupBox* GroupBox20 = nullptr;  // "[ Read Data ]"
  QLabel* Label47 = nullptr;
  QLabel* Label74 = nullptr;
  QLineEdit* edStartRead = nullptr;
  QLineEdit* edEndRead = nullptr;
  QPushButton* Button42 = nullptr;  // "AtmelRead"
  QPushButton* Button18 = nullptr;  // "Entry"
  QPushButton* Button34 = nullptr;  // "Eject"
  QPushButton* Button37 = nullptr;  // "Power ON"
  QPushButton* Button38 = nullptr;  // "Power OFF"
  QPushButton* Button39 = nullptr;  // "Clear"
  QGroupBox* GroupBox21 = nullptr;  // "[ Memory map ]"
  QLabel* Label75 = nullptr;
  QTableView* sgAtmel = nullptr;
  AtmelGridModel* sgAtmelCells = nullptr;  // the bytes sgAtmel shows
  QProgressBar* progAtmel = nullptr;
  QPushButton* Button45 = nullptr;  // "Atmel loop"
  QPushButton* Button46 = nullptr;  // "break"
  QCheckBox* CheckBox9 = nullptr;   // "Entry"
  void sgAtmelKeyDown(int key);
  void sgAtmelKeyPress(char& key);
  void sgAtmelKeyUp(int key);
  void sgAtmelSelectCell(int col, int row);
  void sgAtmelSetEditText(int col, int row, const QString& value);
  QString sgAtmelGetEditMask(int col, int row) const;
  bool atmelGridEditing() const;  // the grid's cells take typing (after a move)
  void btnMoveClick();
  void Button39Click();
  // Appends the cells of start .. end as hex text; false at the first cell
  // that is not two hex characters (the text then holds the cells before it).
  bool CollectGridHex(std::string& text, int start, int end) const;
  void Button18Click();
  void Button34Click();
  void Button37Click();
  void Button38Click();
  void Button41Click();
  void Button42Click();
  void Button45Click();
  void Button46Click();
  void btnAtmelPwronClick();
  void btnAtEntryClick();
  void btnAtEjectClick();
  void btnAtmelPwroffClick();

  // ---- "Ethernet Set" ----
  QFrame* Panel2 = nullptr;
  QLineEdit* eMac1 = nullptr;
  QLineEdit* eMac2 = nullptr;
  QLineEdit* eMac3 = nullptr;
  QLineEdit* eMac4 = nullptr;
  QLineEdit* eMac5 = nullptr;
  QLineEdit* eMac6 = nullptr;
  QLineEdit* eIP1 = nullptr;
  QLineEdit* eIP2 = nullptr;
  QLineEdit* eIP3 = nullptr;
  QLineEdit* eIP4 = nullptr;
  QLineEdit* eGate1 = nullptr;
  QLineEdit* eGate2 = nullptr;
  QLineEdit* eGate3 = nullptr;
  QLineEdit* eGate4 = nullptr;
  QLineEdit* eSubnet1 = nullptr;
  QLineEdit* eSubnet2 = nullptr;
  QLineEdit* eSubnet3 = nullptr;
  QLineEdit* eSubnet4 = nullptr;
  QLineEdit* eDns1 = nullptr;
  QLineEdit* eDns2 = nullptr;
  QLineEdit* eDns3 = nullptr;
  QLineEdit* eDns4 = nullptr;
  QLineEdit* eEPort = nullptr;
  QCheckBox* cMac = nullptr;  // disabled: the MAC group cannot be selected
  QCheckBox* cIP = nullptr;
  QCheckBox* cGate = nullptr;
  QCheckBox* cSubnet = nullptr;
  QCheckBox* cDNS = nullptr;
  QCheckBox* cEPort = nullptr;
  QPushButton* Button55 = nullptr;      // "Write"
  QPushButton* Button56 = nullptr;      // "Read"
  QToolButton* SET = nullptr;           // "Write", hidden
  QToolButton* SpeedButton2 = nullptr;  // "Read", hidden
  void Button55Click();
  void Button56Click();
  void SETClick();
  void SpeedButton2Click();

  // ---- "Firmware" ----
  QGroupBox* GroupBox22 = nullptr;
  QLabel* Label44 = nullptr;    // "* File Name : "
  QLabel* labelFile = nullptr;  // "None.", then the chosen file's name
  QProgressBar* barDown = nullptr;
  QPushButton* btnFile = nullptr;      // "FILE....."
  QPushButton* btnBoot = nullptr;      // "BOOT JUMP", hidden
  QPushButton* btnBreak = nullptr;     // "EMERGENCY", hidden
  QPushButton* btnDownLoad = nullptr;  // "APP DOWN", hidden
  QPushButton* btnApp = nullptr;       // "APP' JUMP", hidden
  QPushButton* btnBootVer = nullptr;   // "BOOT VER'", hidden
  void btnFileClick();
  void btnBootClick();
  void btnDownLoadClick();
  void btnAppClick();
  void btnBootVerClick();
  void btnBreakClick();

 private:
  QWidget* buildLinkButtonRow();
  QPushButton* addLinkButton(QWidget* row, const char* name, const char* caption, QStyle::StandardPixmap icon);
  void buildPages();

  // One builder per page (pages/*.cpp).
  void buildCardControlPage(QWidget* page);
  void buildReadTestPage(QWidget* page);
  void buildWriteTestPage(QWidget* page);
  void buildIcCardPage(QWidget* page);
  void buildBitMemoryPage(QWidget* page);
  void buildAtmelCardPage(QWidget* page);
  void buildEthernetSetPage(QWidget* page);
  void buildFirmwarePage(QWidget* page);

  std::array<QLineEdit*, 23> netSettingsEdits() const;
};

// The main window, built first at start-up and kept for the whole run.
extern TForm1* Form1;

// The one reply callback registered with the link layer (arguments unused;
// returns 1). Runs on the receive thread over serial and inside SendCommand on
// the GUI thread over Ethernet.
int ReceiveCallback(int, int);

// "Firmware": downloads a new application image into the reader. One click on
// "FILE....." runs the whole sequence on the GUI thread: choose the file, put
// the reader into boot mode, send the image block by block at a fixed pace
// (no block waits for an answer), and start the application. The other five
// buttons are hidden; the sequence calls their handlers.
//
// While a sequence or one of its paced steps runs, the firmware controls are
// locked, so that no second sequence starts inside the first; a click on a
// link button (open, close, " Exit") ends it, as does a link that is lost.
// The pauses go through platform::PacingSleep in 500 ms steps, with pending
// messages handled between the steps so that such clicks are seen at once.
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Main.h"
#include "gui/EventHandlers.h"
#include "gui/GuiThread.h"
#include "gui/MessageDialogs.h"
#include "link/link.h"
#include "pages/FirmwareDownload.h"
#include "pages/TestSteps.h"
#include "platform/tick.h"
#include "reply/MainState.h"
#include "reply/ReplyTurns.h"

namespace {

constexpr uint32_t kPauseStepMs = 500;
// Until a download sets the bar's range to its block count.
constexpr int kBarMaximum = 45;

uint8_t FirmwareRequest[kFirmwareRequestSize];
int FirmwareRequestLength = 0;

// The lock of the firmware controls (GUI thread only). Nested steps of one
// sequence share it; the outermost one takes the link it runs on.
int lockDepth = 0;
int lockedLink = LINK_CLOSED;

bool linkGone() { return linkClosedByOperatorDuringRun() || LinkMode.load() != lockedLink; }

void clearRequest() {
  std::memset(FirmwareRequest, 0, sizeof FirmwareRequest);
  FirmwareRequestLength = 0;
}

int sendRequest() { return SendCommand(CMD_RAW_FRAME, FirmwareRequest, FirmwareRequestLength); }

int sendOneByte(uint8_t request) {
  clearRequest();
  FirmwareRequest[FirmwareRequestLength++] = request;
  return sendRequest();
}

// Sleeps `steps` times 500 ms, handling pending messages after each step;
// false (at once) when the link has gone.
bool pause(int steps) {
  for (int i = 0; i < steps; ++i) {
    if (linkGone()) return false;
    platform::PacingSleep(kPauseStepMs);
    ProcessMessages();
  }
  return !linkGone();
}

std::string packetText(const char* what, int packetCount) {
  return std::string(what) + " [ packet count : " + std::to_string(packetCount) + " ]";
}

// Says in the status line why a download ended before its end.
void reportStop(TForm1* form, const char* why, int packetCount) {
  form->ShowStatus(
      packetText((std::string("Application download stopped: ") + why).c_str(), packetCount));
}

void reportLinkGone(TForm1* form, int packetCount) {
  reportStop(form,
             linkClosedByOperatorDuringRun() ? "the link is closed" : "the link to the reader is lost",
             packetCount);
}

// Locks the firmware controls for the lifetime of one handler; nested locks
// of the same sequence are free.
class FirmwareLock {
 public:
  explicit FirmwareLock(TForm1* form) : form_(form) {
    if (lockDepth++ > 0) return;
    lockedLink = LinkMode.load();
    watchLinkButtons();
    setLocked(true);
  }
  // Once the sequence ends, however it ends, nothing it sent is owed a reply:
  // frames a boot loader left unanswered must not take the replies of the
  // commands after it.
  ~FirmwareLock() {
    if (--lockDepth > 0) return;
    setLocked(false);
    ForgetOwedReplies();
  }
  FirmwareLock(const FirmwareLock&) = delete;
  FirmwareLock& operator=(const FirmwareLock&) = delete;

 private:
  // The buttons sit in two plain containers; disabling those keeps each
  // button's own enabled state for afterwards.
  void setLocked(bool locked) {
    form_->btnBoot->parentWidget()->setEnabled(!locked);
    form_->btnFile->parentWidget()->setEnabled(!locked);
  }
  TForm1* form_;
};

}  // namespace

void TForm1::buildFirmwarePage(QWidget* page) {
  auto* column = new QVBoxLayout(page);

  GroupBox22 = new QGroupBox("II F/W Down Load II", page);
  GroupBox22->setObjectName("GroupBox22");
  auto* frame = new QVBoxLayout(GroupBox22);
  auto* fileRow = new QHBoxLayout;
  Label44 = new QLabel("* File Name : ", GroupBox22);
  Label44->setObjectName("Label44");
  labelFile = new QLabel("None.", GroupBox22);
  labelFile->setObjectName("labelFile");
  for (QLabel* label : {Label44, labelFile}) {
    label->setTextFormat(Qt::PlainText);
    fileRow->addWidget(label);
  }
  fileRow->addStretch();
  frame->addLayout(fileRow);
  barDown = new QProgressBar(GroupBox22);
  barDown->setObjectName("barDown");
  barDown->setRange(0, kBarMaximum);
  barDown->setValue(0);
  barDown->setTextVisible(false);
  frame->addWidget(barDown);

  auto* hiddenButtons = new QWidget(GroupBox22);
  auto* hiddenRow = new QHBoxLayout(hiddenButtons);
  hiddenRow->setContentsMargins(0, 0, 0, 0);
  auto addButton = [hiddenButtons, hiddenRow](const char* name, const char* caption, bool enabled) {
    auto* button = new QPushButton(caption, hiddenButtons);
    button->setObjectName(name);
    button->setEnabled(enabled);
    button->hide();
    hiddenRow->addWidget(button);
    return button;
  };
  btnBoot = addButton("btnBoot", "BOOT JUMP", true);
  btnBreak = addButton("btnBreak", "EMERGENCY", false);
  btnDownLoad = addButton("btnDownLoad", "APP DOWN", false);
  btnApp = addButton("btnApp", "APP' JUMP", false);
  btnBootVer = addButton("btnBootVer", "BOOT VER'", false);
  frame->addWidget(hiddenButtons);
  column->addWidget(GroupBox22);

  auto* fileButtonRow = new QWidget(page);
  auto* fileButtonLayout = new QHBoxLayout(fileButtonRow);
  fileButtonLayout->setContentsMargins(0, 0, 0, 0);
  btnFile = new QPushButton("FILE.....", fileButtonRow);
  btnFile->setObjectName("btnFile");
  fileButtonLayout->addWidget(btnFile);
  fileButtonLayout->addStretch();
  column->addWidget(fileButtonRow);
  column->addStretch();

  bindClick(btnFile, [this] { btnFileClick(); });
  bindClick(btnBoot, [this] { btnBootClick(); });
  bindClick(btnBreak, [this] { btnBreakClick(); });
  bindClick(btnDownLoad, [this] { btnDownLoadClick(); });
  bindClick(btnApp, [this] { btnAppClick(); });
  bindClick(btnBootVer, [this] { btnBootVerClick(); });
}

void TForm1::btnFileClick() {
  if (lockDepth > 0) return;
  OpenDir->setOption(QFileDialog::DontUseNativeDialog);
  if (OpenDir->exec() != QDialog::Accepted || OpenDir->selectedFiles().isEmpty()) return;
  FirmwarePath = OpenDir->selectedFiles().first().toStdString();
  const std::string fileName = FileNameOf(FirmwarePath);
  labelFile->setText(QString::fromStdString(fileName));
  btnDownLoad->setEnabled(true);
  barDown->setValue(0);  // empty from the start, not full from the last download
  ProcessMessages();

  // Checked before the reader is put into boot mode, so that a file that
  // cannot be read never leaves it there.
  if (!std::ifstream(FirmwarePath, std::ios::binary).is_open()) {
    ShowStatus("Cannot open the file " + fileName + " !!");
    return;
  }
  // An empty image would go out as one block of zeros and be reported as a
  // successful download.
  std::error_code sizeError;
  if (std::filesystem::file_size(FirmwarePath, sizeError) == 0 && !sizeError) {
    ShowMessage("FILE ERROR - The file " + fileName + " is empty");
    return;
  }
  FirmwareLock lock(this);
  btnBootClick();
  if (!pause(5)) return reportLinkGone(this, 0);  // the reader enters boot mode meanwhile
  btnDownLoadClick();
}

void TForm1::btnBootClick() {
  ProcessMessages();
  CommandId = 2;
  SendCommand(CMD_BOOT_JUMP, nullptr, 0);
  ProcessMessages();
}

void TForm1::btnDownLoadClick() {
  FirmwareLock lock(this);
  int packetCount = 0;
  barDown->setValue(0);
  std::ifstream file(FirmwarePath, std::ios::binary);
  if (!file.is_open()) {
    ShowStatus("Cannot open the file " + FileNameOf(FirmwarePath) + " !!");
    return;
  }
  std::error_code sizeError;
  const uintmax_t fileSize = std::filesystem::file_size(FirmwarePath, sizeError);
  barDown->setRange(0, BlockCount(sizeError ? 0 : fileSize));
  uint32_t address = kFirstBlockAddress;
  DownloadBreak = 0;
  do {
    clearRequest();
    FirmwareRequestLength = StartBlockPayload(FirmwareRequest, address);
    file.read(reinterpret_cast<char*>(FirmwareRequest + FirmwareRequestLength), kBlockSize);
    if (file.bad() || (file.fail() && !file.eof())) {
      // A failed read is not the end of the file: stop rather than send on.
      return reportStop(this, "the file cannot be read", packetCount);
    }
    FirmwareRequestLength = kBlockPayloadLength;
    address += kBlockSize;

    // No block waits for an answer: one that gets none costs only the wait
    // of the network's line receive. A block that could not go out means the
    // link is gone.
    if (sendRequest() == 0 || linkGone()) return reportLinkGone(this, packetCount);

    barDown->setValue(std::min(packetCount, barDown->maximum()));  // a file may grow meanwhile
    ++packetCount;
    ShowStatus(packetText("Application download", packetCount));
    ProcessMessages();
    if (!pause(1)) return reportLinkGone(this, packetCount);
  } while (!file.eof() && !DownloadBreak);

  barDown->setValue(barDown->maximum());
  if (!DownloadBreak) ShowStatus("Application download success.");
  if (!pause(5)) return reportLinkGone(this, packetCount);
  btnAppClick();
}

void TForm1::btnAppClick() {
  FirmwareLock lock(this);
  const int result = sendOneByte(kJumpToApplication);
  if (!BootMode) return;
  if (!pause(4)) return;
  if (result != 1) return;
  ShowStatus("Applicaton mode");
  for (QPushButton* button : {btnBoot, btnApp, btnFile, btnDownLoad, btnBootVer})
    button->setEnabled(true);
  FramingMode = 0;
}

void TForm1::btnBootVerClick() {
  CommandId = 100;
  sendOneByte(kBootVersion);
}

void TForm1::btnBreakClick() {
  DownloadBreak = 1;
  ShowStatus("Emergency breaked..");
}

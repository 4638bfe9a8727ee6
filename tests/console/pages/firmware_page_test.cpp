// "Firmware": the sequence of one "FILE....." click against the simulated
// reader's boot mode over a pseudo-terminal and loopback TCP, with the pacing
// pauses replaced so that a download takes milliseconds.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <fstream>

#include "Main.h"
#include "boot_loader.h"
#include "frame_codec.h"
#include "link/link.h"
#include "pages/FirmwareDownload.h"
#include "pages_fixture.h"
#include "platform/tick.h"
#include "reply/MainState.h"

namespace {

struct Pause {  // what the window showed at one pacing pause
  QString panel;
  int bar;
  bool fileButtonEnabled;
};
std::vector<Pause> pauses;
std::function<void(size_t)> atPause;  // a test's action at the pause of that index

void recordPause(uint32_t ms) {
  EXPECT_EQ(ms, 500u);
  pauses.push_back({panelText(), Form1->barDown->value(), Form1->btnFile->isEnabled()});
  if (atPause) atPause(pauses.size() - 1);
  platform::SleepMs(ms / 50);  // leaves the reader a moment to answer
}

std::string imageOf(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 2048) % 251 + 1);
  return bytes;
}

class FirmwareFixture : public PagesTest {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    pauses.clear();
    atPause = nullptr;
    platform::SetPacingSleep(recordPause);
    speedUpClock(50);
  }
  void TearDown() override {
    platform::SetPacingSleep(nullptr);
    atPause = nullptr;
    PagesTest::TearDown();
  }

  // Chooses a new file of `size` bytes in the open dialog and clicks "FILE.....".
  void download(size_t size, std::function<void(const QString&)> afterAccept = nullptr) {
    const QString path = dir.filePath("app.bin");
    const std::string image = imageOf(size);
    std::ofstream(path.toStdString(), std::ios::binary).write(image.data(), image.size());
    onModal([path, afterAccept](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->nameFilters(), QStringList{"BIN file (*.bin)"});
      dialog->selectFile(path);
      static_cast<QDialog*>(dialog)->accept();
      if (afterAccept) QTimer::singleShot(0, [path, afterAccept] { afterAccept(path); });
    });
    Form1->btnFile->click();
  }

  std::vector<std::string> payloads() {
    std::vector<std::string> data;
    for (const readersim::Request& request : sim.Requests())
      if (request.binary) data.push_back(request.data);
    return data;
  }

  QTemporaryDir dir;
  readersim::BootLoader boot{sim};
};

class FirmwarePage : public FirmwareFixture, public testing::WithParamInterface<Link> {
 protected:
  void SetUp() override {
    FirmwareFixture::SetUp();
    openLink(GetParam());
    // On the pseudo-terminal the answers to 'W' and 'X' would race the texts shown.
    if (GetParam() == Link::Serial) boot.SetAnswerWrites(false);
  }
};

struct FileCase {
  size_t size;
  int blocks;
};
class FirmwareDownload : public FirmwareFixture,
                         public testing::WithParamInterface<std::tuple<Link, FileCase>> {};

TEST_P(FirmwareDownload, SendsEveryBlockThenStartsTheApplication) {
  const auto [link, file] = GetParam();
  const auto [size, blocks] = file;
  openLink(link);
  if (link == Link::Serial) boot.SetAnswerWrites(false);
  atPause = [](size_t index) {
    if (index == 6) Form1->btnFileClick();  // locked: returns at once, without a dialog
  };
  Form1->barDown->setValue(Form1->barDown->maximum());  // as an earlier download left it
  download(size);
  EXPECT_TRUE(sim.WaitForRequests(blocks + 2, 30000));  // the pseudo-terminal may still hold 'X'
  EXPECT_EQ(sim.Requests().front().line, "020");
  const std::vector<std::string> sent = payloads();
  ASSERT_EQ(sent.size(), static_cast<size_t>(blocks) + 1);
  const std::string expected = imageOf(size) + std::string(blocks * 2048 - size, '\0');
  for (uint32_t n = 0; n < static_cast<uint32_t>(blocks); ++n) {
    const uint32_t address = 0x08008000u + n * 0x800u;
    const char head[5] = {'W', char(address >> 24), char(address >> 16), char(address >> 8),
                          char(address)};
    EXPECT_EQ(sent[n].substr(0, 5), std::string(head, 5)) << n;
    EXPECT_EQ(sent[n].substr(5), expected.substr(n * 2048, 2048)) << n;
  }
  EXPECT_EQ(sent.back(), "X");
  const std::string frame = sim.Requests().at(1).frame;  // 60, length, CRC, payload, check byte
  const uint16_t crc = readersim::Crc16Kermit(sent[0]);
  EXPECT_EQ(frame, std::string("\x60\x08\x07", 3) + char(crc >> 8) + char(crc) + sent[0] +
                       char(readersim::XorCheck(frame.substr(0, 2058))));
  EXPECT_EQ(boot.Image(), expected);
  EXPECT_EQ(boot.BlocksRefused(), 0);

  // Five pauses after the boot jump, one per block, five after the last
  // block, four after 'X'.
  ASSERT_EQ(pauses.size(), static_cast<size_t>(5 + blocks + 5 + 4));
  EXPECT_EQ(pauses[4].bar, 0);
  for (int n = 1; n <= blocks; ++n) {
    EXPECT_EQ(pauses[4 + n].panel, QString("Application download [ packet count : %1 ]").arg(n));
    EXPECT_EQ(pauses[4 + n].bar, n - 1);
  }
  EXPECT_EQ(pauses[5 + blocks].panel, "Application download success.");
  EXPECT_EQ(pauses[5 + blocks].bar, blocks);
  EXPECT_EQ(Form1->barDown->maximum(), blocks);  // 0, 1, 2 of 3 blocks, then full
  for (const Pause& pause : pauses) EXPECT_FALSE(pause.fileButtonEnabled) << "locked while it runs";

  EXPECT_EQ(panelText(), "Applicaton mode");
  EXPECT_EQ(Form1->labelFile->text(), "app.bin");
  EXPECT_EQ(FramingMode.load(), 0);
  EXPECT_TRUE(Form1->btnBoot->isEnabled() && Form1->btnFile->isEnabled() &&
              Form1->btnApp->isEnabled());
  EXPECT_FALSE(Form1->btnBreak->isEnabled());
  // Blocks left unanswered (serial) are owed nothing now: each command gets its own reply.
  for (const auto& [button, text] : {std::pair{Form1->Button3, "Reset OK !!"}, {Form1->Button40, "LO Co Select OK !!"}}) {
    Form1->setPanelText("");
    button->click();
    waitFor([] { return !panelText().isEmpty(); });
    EXPECT_EQ(panelText(), text);
  }
}

// 5000 bytes: the third block carries 904 file bytes and 1144 zeros; 4096: a
// whole multiple gets one more all-zero block; 32769:
// seventeen blocks, the last at 08 01 00 00.
INSTANTIATE_TEST_SUITE_P(Files, FirmwareDownload,
                         testing::Combine(testing::Values(Link::Serial, Link::Ethernet),
                                          testing::Values(FileCase{5000, 3}, FileCase{4096, 3},
                                                          FileCase{32769, 17})));

TEST_P(FirmwarePage, BootJumpThenBootVersion) {
  Form1->btnBoot->click();
  ASSERT_TRUE(waitFor(
      [] { return panelText() == "F/W Down Load mode Ok" && !Form1->btnBoot->isEnabled(); }));
  EXPECT_TRUE(Form1->btnApp->isEnabled() && Form1->btnBootVer->isEnabled());
  EXPECT_EQ(FramingMode.load(), 1);
  sim.ClearRequests();
  Form1->btnBootVer->click();
  EXPECT_TRUE(waitFor([] { return panelText().trimmed() == readersim::kBootVersionText; }));
  EXPECT_EQ(CommandId, 100);
  EXPECT_EQ(sim.Requests().at(0).frame, std::string("\x60\x00\x03\x37\xB3\x56\xB1", 7));
}

TEST_P(FirmwarePage, AppJumpWaitsAndReportsOnlyInBootMode) {
  if (GetParam() == Link::Serial) {
    readersim::Faults faults;
    faults.silent = true;  // outside boot mode 'X' is refused, and that answer would race the texts
    sim.SetFaults(faults);
  }
  Form1->btnAppClick();
  EXPECT_TRUE(pauses.empty());
  BootMode = 1;
  FramingMode = 1;
  Form1->btnAppClick();
  EXPECT_EQ(payloads(), (std::vector<std::string>{"X", "X"}));
  EXPECT_EQ(pauses.size(), 4u);
  EXPECT_EQ(panelText(), "Applicaton mode");
  EXPECT_EQ(FramingMode.load(), 0);
  EXPECT_TRUE(Form1->btnDownLoad->isEnabled());
}

TEST_P(FirmwarePage, AFileThatCannotBeReadSendsNothingAndIsReported) {
  download(0);
  EXPECT_EQ(messages(), std::vector<std::string>{"FILE ERROR - The file app.bin is empty"});
  download(10, [](const QString& path) { QFile::remove(path); });  // gone before it is opened
  EXPECT_EQ(panelText(), "Cannot open the file app.bin !!");
  EXPECT_TRUE(sim.Requests().empty());
  FirmwarePath = dir.path().toStdString();  // a directory opens, but cannot be read
  Form1->btnDownLoadClick();
  EXPECT_EQ(panelText(),
            "Application download stopped: the file cannot be read [ packet count : 0 ]");
  EXPECT_TRUE(sim.Requests().empty());
  EXPECT_TRUE(pauses.empty());
}

TEST_P(FirmwarePage, EmergencyEndsTheLoopButTheApplicationStillStarts) {
  QString shownAtBreak;
  atPause = [&shownAtBreak](size_t index) {
    if (index != 6) return;  // the pause after the second block
    Form1->btnBreakClick();
    shownAtBreak = panelText();
  };
  download(5 * 2048);
  EXPECT_TRUE(sim.WaitForRequests(4, 3000));
  EXPECT_EQ(payloads().size(), 3u);
  EXPECT_EQ(shownAtBreak, "Emergency breaked..");
  EXPECT_EQ(pauses.at(7).bar, 6);  // full: the file is six blocks
  EXPECT_EQ(pauses.size(), 16u) << "no success text, but 'X' after the pauses";
}

// The link goes after the first block: closed by its button, lost (TCP), or
// the program ends. A block that gets no answer is no end of the link.
enum class LinkEnd { Closed, Lost, Exit, BlockUnanswered };
class FirmwareLinkEnd : public FirmwareFixture,
                        public testing::WithParamInterface<std::tuple<Link, LinkEnd>> {};

TEST_P(FirmwareLinkEnd, EndsTheDownloadAtOnce) {
  const auto [link, end] = GetParam();
  openLink(link);
  atPause = [this, link = link, end = end](size_t index) {
    if (index != 5) return;
    sim.WaitForRequests(2, 3000);  // the first block is in before the link goes
    if (end == LinkEnd::Exit) return Form1->BitBtn3->click();
    if (end == LinkEnd::Closed)
      return (link == Link::Serial ? Form1->BitBtn2 : Form1->BitBtn8)->click();
    if (end == LinkEnd::BlockUnanswered) return (void)sim.AddReplyFault(readersim::DropReply("", 1));
    sim.Stop();
  };
  if (end == LinkEnd::Exit) {
    QTimer::singleShot(0, [this] { download(40 * 2048); });
    QTimer fallback;  // stopped with the test, so that it cannot end a later one's loop
    QObject::connect(&fallback, &QTimer::timeout, [] { QApplication::exit(99); });
    fallback.start(20000);
    EXPECT_EQ(QApplication::exec(), 0);
  } else {
    download(40 * 2048);
  }
  const bool goesOn = end == LinkEnd::BlockUnanswered;
  EXPECT_EQ(payloads().size(), goesOn ? 42u : 1u) << "41 blocks and 'X', or nothing after the end";
  if (!goesOn) {
    EXPECT_EQ(pauses.size(), 6u);
  }
  if (end != LinkEnd::Exit) {
    const char* why = end == LinkEnd::Closed ? "is closed" : "to the reader is lost";
    EXPECT_EQ(panelText().toStdString(), goesOn ? "Applicaton mode"
                                                : "Application download stopped: the link " +
                                                      std::string(why) + " [ packet count : 1 ]");
  }
  EXPECT_TRUE(Form1->btnFile->isEnabled()) << "unlocked again";
}

INSTANTIATE_TEST_SUITE_P(Ends, FirmwareLinkEnd,
                         testing::Values(std::tuple{Link::Serial, LinkEnd::Closed},
                                         std::tuple{Link::Ethernet, LinkEnd::Closed},
                                         std::tuple{Link::Ethernet, LinkEnd::Lost},
                                         std::tuple{Link::Serial, LinkEnd::Lost},
                                         std::tuple{Link::Ethernet, LinkEnd::BlockUnanswered},
                                         std::tuple{Link::Serial, LinkEnd::Exit},
                                         std::tuple{Link::Ethernet, LinkEnd::Exit}));

INSTANTIATE_TEST_SUITE_P(Links, FirmwarePage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

TEST(FirmwareFileName, IsThePartAfterTheLastSeparator) {
  for (const char* path : {"c.bin", "a\\b\\c.bin", "/tmp/x/c.bin", "a/b\\c.bin", "a\\b/c.bin"})
    EXPECT_EQ(FileNameOf(path), "c.bin") << path;
}

}  // namespace

// "Firmware": the whole sequence of one "FILE....." click against the
// simulated reader's boot mode, over a pseudo-terminal and loopback TCP, with
// the pacing pauses replaced so that a download takes milliseconds; and the
// hidden buttons' handlers on their own.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <functional>

#include "Main.h"
#include "boot_loader.h"
#include "frame_codec.h"
#include "link/link.h"
#include "pages/FirmwareDownload.h"
#include "pages_fixture.h"
#include "platform/tick.h"
#include "reply/MainState.h"

namespace {

// What the window showed at each pacing pause, and what a test does there.
struct Pause {
  uint32_t ms;
  QString panel;
  int bar;
  bool fileButtonEnabled;
};
std::vector<Pause> pauses;
std::function<void(size_t)> atPause;  // called with the pause's index

void recordPause(uint32_t ms) {
  pauses.push_back({ms, panelText(), Form1->barDown->value(), Form1->btnFile->isEnabled()});
  if (atPause) atPause(pauses.size() - 1);
  platform::SleepMs(ms / 100);  // leaves the reader a moment to answer
}

std::string imageOf(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 2048) % 251 + 1);
  return bytes;
}

std::vector<std::string> payloads(const std::vector<readersim::Request>& requests) {
  std::vector<std::string> data;
  for (const readersim::Request& request : requests)
    if (request.binary) data.push_back(request.data);
  return data;
}

std::string addressOf(const std::string& payload) { return payload.substr(1, 4); }

std::string bigEndian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// The packet-count texts seen at the pauses after the blocks, with the bar.
std::vector<std::pair<QString, int>> packetPauses() {
  std::vector<std::pair<QString, int>> seen;
  for (const Pause& pause : pauses)
    if (pause.panel.startsWith("Application download [")) seen.emplace_back(pause.panel, pause.bar);
  return seen;
}

class FirmwareFixture : public PagesTest {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    pauses.clear();
    atPause = nullptr;
    platform::SetPacingSleep(recordPause);
    speedUpClock(50);
    FirmwarePath.clear();
  }
  void TearDown() override {
    platform::SetPacingSleep(nullptr);
    atPause = nullptr;
    PagesTest::TearDown();
  }

  std::string writeFile(const std::string& name, const std::string& bytes) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Answers the open dialog with `path` (or cancels it), then clicks "FILE.....".
  static void chooseFile(const std::string& path, std::function<void()> afterAccept = nullptr) {
    ConsoleTest::onModal([path, afterAccept](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->nameFilters(), QStringList{"BIN file (*.bin)"});
      if (path.empty()) return dialog->reject();
      dialog->selectFile(QString::fromStdString(path));
      static_cast<QDialog*>(dialog)->accept();  // checks the file as a click on Open would
      if (afterAccept) QTimer::singleShot(0, afterAccept);
    });
    Form1->btnFile->click();
  }

  QTemporaryDir dir;
  readersim::BootLoader boot{sim};
};

struct DownloadCase {
  size_t fileSize;
  int blocks;
};

class FirmwarePage : public FirmwareFixture, public testing::WithParamInterface<Link> {
 protected:
  void SetUp() override {
    FirmwareFixture::SetUp();
    openLink(GetParam());
  }
};

class FirmwareDownload : public FirmwareFixture,
                         public testing::WithParamInterface<std::tuple<Link, DownloadCase>> {
 protected:
  void SetUp() override {
    FirmwareFixture::SetUp();
    openLink(std::get<0>(GetParam()));
  }
};

TEST_P(FirmwareDownload, SendsEveryBlockThenStartsTheApplication) {
  const DownloadCase& c = std::get<1>(GetParam());
  const bool serial = std::get<0>(GetParam()) == Link::Serial;
  // On the pseudo-terminal the answers would race the texts shown.
  if (serial) boot.SetAnswerWrites(false);
  const std::string image = imageOf(c.fileSize);
  chooseFile(writeFile("app.bin", image));

  const std::vector<readersim::Request> requests = sim.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front().line, "020");
  const std::vector<std::string> sent = payloads(requests);
  ASSERT_EQ(sent.size(), static_cast<size_t>(c.blocks) + 1);
  std::string expected =
      image + std::string(static_cast<size_t>(c.blocks) * 2048 - image.size(), '\0');
  for (int n = 0; n < c.blocks; ++n) {
    const std::string& block = sent[static_cast<size_t>(n)];
    ASSERT_EQ(block.size(), 2053u);
    EXPECT_EQ(block[0], 'W');
    EXPECT_EQ(addressOf(block), bigEndian(0x08008000u + 0x800u * static_cast<uint32_t>(n))) << n;
    EXPECT_EQ(block.substr(5), expected.substr(static_cast<size_t>(n) * 2048, 2048)) << n;
  }
  EXPECT_EQ(sent.back(), "X");
  EXPECT_EQ(boot.Image(), expected);
  EXPECT_EQ(boot.BlocksRefused(), 0);
  EXPECT_EQ(boot.Starts(), 1);

  std::vector<std::pair<QString, int>> counts;
  for (int n = 1; n <= c.blocks; ++n)
    counts.emplace_back(QString("Application download [ packet count : %1 ]").arg(n),
                        std::min(n - 1, 45));
  EXPECT_EQ(packetPauses(), counts);
  ASSERT_EQ(pauses.size(), static_cast<size_t>(5 + c.blocks + 5 + 4));
  EXPECT_EQ(pauses[static_cast<size_t>(5 + c.blocks)].panel, "Application download success.");
  EXPECT_EQ(pauses.back().bar, 45);
  for (const Pause& pause : pauses) {
    EXPECT_EQ(pause.ms, 500u);
    EXPECT_FALSE(pause.fileButtonEnabled) << "locked while the download runs";
  }

  EXPECT_EQ(panelText(), "Applicaton mode");
  EXPECT_EQ(Form1->labelFile->text(), "app.bin");
  EXPECT_EQ(FramingMode.load(), 0);
  EXPECT_EQ(BootMode.load(), 1);
  for (QPushButton* button :
       {Form1->btnBoot, Form1->btnFile, Form1->btnDownLoad, Form1->btnApp, Form1->btnBootVer})
    EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
  EXPECT_FALSE(Form1->btnBreak->isEnabled());
}

std::string downloadName(const testing::TestParamInfo<std::tuple<Link, DownloadCase>>& info) {
  return (std::get<0>(info.param) == Link::Serial ? "Serial_" : "Ethernet_") +
         std::to_string(std::get<1>(info.param).fileSize) + "Bytes";
}

// 5000: the third block carries 904 file bytes and 1144 zeros; 4096: a whole
// multiple gets one more all-zero block; 0: one all-zero block; 32769:
// seventeen blocks, the last at 08 01 00 00.
INSTANTIATE_TEST_SUITE_P(Files, FirmwareDownload,
                         testing::Combine(testing::Values(Link::Serial, Link::Ethernet),
                                          testing::Values(DownloadCase{5000, 3},
                                                          DownloadCase{4096, 3}, DownloadCase{0, 1},
                                                          DownloadCase{32769, 17})),
                         downloadName);

TEST_P(FirmwarePage, ABlockFrameOnTheWireIsTwoThousandFiftyNineBytes) {
  chooseFile(writeFile("one.bin", imageOf(100)));
  const std::vector<readersim::Request> requests = sim.Requests();
  auto block = std::find_if(requests.begin(), requests.end(),
                            [](const readersim::Request& r) { return r.binary; });
  ASSERT_NE(block, requests.end());
  const std::string& frame = block->frame;
  ASSERT_EQ(frame.size(), 2059u);
  EXPECT_EQ(frame.substr(0, 3), std::string("\x60\x08\x07", 3));
  const uint16_t crc = readersim::Crc16Kermit(frame.substr(5, 2053));
  EXPECT_EQ(static_cast<uint8_t>(frame[3]), crc >> 8);
  EXPECT_EQ(static_cast<uint8_t>(frame[4]), crc & 0xFF);
  EXPECT_EQ(frame.substr(5, 5), std::string("W\x08\x00\x80\x00", 5));
  EXPECT_EQ(static_cast<uint8_t>(frame.back()), readersim::XorCheck(frame.substr(0, 2058)));
  EXPECT_FALSE(block->frameError);
}

TEST_P(FirmwarePage, CancelledDialogChangesAndSendsNothing) {
  chooseFile("");
  EXPECT_TRUE(sim.Requests().empty());
  EXPECT_EQ(Form1->labelFile->text(), "None.");
  EXPECT_FALSE(Form1->btnDownLoad->isEnabled());
  EXPECT_TRUE(FirmwarePath.empty());
}

TEST_P(FirmwarePage, BootJumpThenBootVersion) {
  Form1->btnBoot->click();
  ASSERT_TRUE(waitFor([] { return panelText() == "F/W Down Load mode Ok"; }))
      << panelText().toStdString();
  EXPECT_EQ(sim.Requests().front().line, "020");
  EXPECT_EQ(CommandId, 2);
  EXPECT_TRUE(waitFor([] { return !Form1->btnBoot->isEnabled(); }));
  EXPECT_TRUE(Form1->btnApp->isEnabled());
  EXPECT_TRUE(Form1->btnBootVer->isEnabled());
  EXPECT_EQ(BootMode.load(), 1);
  EXPECT_EQ(FramingMode.load(), 1);

  sim.ClearRequests();
  Form1->btnBootVer->click();
  EXPECT_TRUE(waitFor([] { return panelText().trimmed() == readersim::kBootVersionText; }))
      << panelText().toStdString();
  EXPECT_EQ(CommandId, 100);
  ASSERT_EQ(sim.Requests().size(), 1u);
  EXPECT_EQ(sim.Requests().front().frame, std::string("\x60\x00\x03\x37\xB3\x56\xB1", 7));
}

TEST_P(FirmwarePage, AppJumpWaitsAndReportsOnlyInBootMode) {
  Form1->btnAppClick();
  EXPECT_EQ(payloads(sim.Requests()), std::vector<std::string>{"X"});
  EXPECT_TRUE(pauses.empty()) << "no wait outside boot mode";
  settle();
  EXPECT_NE(panelText(), "Applicaton mode");
  EXPECT_EQ(FramingMode.load(), 0);
  EXPECT_FALSE(Form1->btnApp->isEnabled());

  BootMode = 1;
  FramingMode = 1;
  if (GetParam() == Link::Serial) {
    readersim::Faults faults;
    faults.silent = true;  // an answer would race the text shown
    sim.SetFaults(faults);
  }
  sim.ClearRequests();
  Form1->btnAppClick();
  EXPECT_EQ(payloads(sim.Requests()), std::vector<std::string>{"X"});
  EXPECT_EQ(pauses.size(), 4u);
  EXPECT_EQ(panelText(), "Applicaton mode");
  EXPECT_EQ(FramingMode.load(), 0);
  EXPECT_TRUE(Form1->btnApp->isEnabled());
  EXPECT_TRUE(Form1->btnDownLoad->isEnabled());
}

TEST_P(FirmwarePage, FileThatCannotBeOpenedIsReportedAndNothingIsSent) {
  const std::string path = writeFile("gone.bin", "abc");
  chooseFile(path, [path] { QFile::remove(QString::fromStdString(path)); });
  EXPECT_EQ(Form1->labelFile->text(), "gone.bin");
  EXPECT_EQ(panelText(), "Cannot open the file gone.bin !!");
  EXPECT_TRUE(sim.Requests().empty());
  EXPECT_FALSE(boot.InBootMode());

  Form1->barDown->setValue(7);
  Form1->btnDownLoadClick();
  EXPECT_EQ(Form1->barDown->value(), 0);
  EXPECT_EQ(panelText(), "Cannot open the file gone.bin !!");
  EXPECT_TRUE(sim.Requests().empty());
}

TEST_P(FirmwarePage, ReadErrorEndsTheDownloadWithoutSending) {
  FirmwarePath = dir.path().toStdString();  // opens, but cannot be read
  Form1->btnDownLoadClick();
  EXPECT_EQ(panelText(),
            "Application download stopped: the file cannot be read [ packet count : 0 ]");
  EXPECT_TRUE(sim.Requests().empty());
  EXPECT_TRUE(pauses.empty());
}

TEST_P(FirmwarePage, NoSecondSequenceStartsInsideTheFirst) {
  if (GetParam() == Link::Serial) boot.SetAnswerWrites(false);
  const std::string path = writeFile("app.bin", imageOf(5000));
  atPause = [](size_t index) {
    if (index != 6) return;
    Form1->btnFile->click();  // locked: nothing happens
    Form1->btnFileClick();    // refused at once, without a dialog
    Form1->btnDownLoad->click();
  };
  chooseFile(path);
  EXPECT_EQ(payloads(sim.Requests()).size(), 4u);
  EXPECT_EQ(boot.Starts(), 1);
  EXPECT_EQ(panelText(), "Applicaton mode");
}

TEST_P(FirmwarePage, EmergencyEndsTheLoopButTheApplicationStillStarts) {
  QString shownAtBreak;
  atPause = [&shownAtBreak](size_t index) {
    if (index != 6) return;  // the pause after the second block
    Form1->btnBreakClick();
    shownAtBreak = panelText();
  };
  chooseFile(writeFile("app.bin", imageOf(5 * 2048)));
  const std::vector<std::string> sent = payloads(sim.Requests());
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent.back(), "X");
  for (const Pause& pause : pauses) EXPECT_NE(pause.panel, "Application download success.");
  EXPECT_EQ(shownAtBreak, "Emergency breaked..");
  EXPECT_EQ(pauses[7].bar, 45);
}

TEST_P(FirmwarePage, ClosingTheLinkEndsTheDownload) {
  const bool serial = GetParam() == Link::Serial;
  atPause = [this, serial](size_t index) {
    if (index != 5) return;
    sim.WaitForRequests(2, 3000);  // the first block is in before the port goes
    (serial ? Form1->BitBtn2 : Form1->BitBtn8)->click();
  };
  chooseFile(writeFile("app.bin", imageOf(5 * 2048)));
  EXPECT_EQ(payloads(sim.Requests()).size(), 1u) << "no block after the close, no X";
  EXPECT_EQ(panelText(), "Application download stopped: the link is closed [ packet count : 1 ]");
  EXPECT_EQ(pauses.size(), 6u);
  EXPECT_TRUE(Form1->btnFile->isEnabled()) << "unlocked again";
}

// Over TCP only: the reader's side of a pseudo-terminal cannot go away.
TEST_F(FirmwareFixture, ALostNetworkConnectionEndsTheDownload) {
  openLink(Link::Ethernet);
  atPause = [this](size_t index) {
    if (index != 5) return;
    readersim::Faults faults;
    faults.dropConnection = true;  // the second block goes unanswered
    sim.SetFaults(faults);
  };
  chooseFile(writeFile("app.bin", imageOf(5 * 2048)));
  EXPECT_EQ(payloads(sim.Requests()).size(), 2u) << "no block after the loss, no X";
  EXPECT_EQ(panelText(), "Application download stopped: the link is closed [ packet count : 1 ]");
  EXPECT_EQ(pauses.size(), 6u);
}

TEST_P(FirmwarePage, ExitDuringADownloadEndsItPromptly) {
  std::vector<size_t> sentAtExit;
  atPause = [this, &sentAtExit](size_t index) {
    if (index != 6) return;
    sentAtExit.push_back(payloads(sim.Requests()).size());
    Form1->BitBtn3->click();
  };
  const std::string path = writeFile("app.bin", imageOf(40 * 2048));
  QTimer::singleShot(0, [path] { chooseFile(path); });
  QTimer::singleShot(20000, [] { QApplication::exit(99); });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(sentAtExit.size(), 1u);
  EXPECT_EQ(payloads(sim.Requests()).size(), sentAtExit[0]) << "nothing sent after Exit";
  EXPECT_EQ(pauses.size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(Links, FirmwarePage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

TEST(FirmwareFileName, IsThePartAfterTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"c.bin", "c.bin"},      {"a\\b\\c.bin", "c.bin"}, {"/tmp/x/fw.bin", "fw.bin"},
      {"a/b\\c.bin", "c.bin"}, {"a\\b/c.bin", "c.bin"},  {"dir\\", ""}};
  for (const auto& c : cases) EXPECT_EQ(FileNameOf(c.first), c.second) << c.first;
}

TEST(FirmwarePayload, BlockAddressesAreBigEndian) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0x08008000u, "W\x08\x00\x80\x00"},
      {0x08008000u + 16 * 0x800u, "W\x08\x01\x00\x00"},
      {0xFFFFFFFFu, "W\xFF\xFF\xFF\xFF"}};
  for (const auto& c : cases) {
    uint8_t request[5] = {};
    EXPECT_EQ(StartBlockPayload(request, c.first), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(request), 5), std::string(c.second, 5));
  }
}

}  // namespace

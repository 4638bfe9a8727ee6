// Benchmark (built, not run by ctest): one firmware download of a 256 KB
// image through the real console window to the reader simulator, over a
// pseudo-terminal and over loopback TCP, with the real pacing. Reports the
// wall time of the "FILE....." sequence against its pacing floor (500 ms per
// block and 7000 ms of fixed pauses) and checks that the simulator stored the
// file and the zero tail of its last block byte for byte. Exit status 1 when
// an image differs or a link cannot be opened.
//   bench_firmware_download [image size in bytes]
#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "ConsoleWindows.h"
#include "Main.h"
#include "ZUV_ETHERNET.h"
#include "boot_loader.h"
#include "link/link.h"
#include "reader_sim.h"

namespace {

constexpr int kBenchCom = 8;
constexpr double kFixedPausesMs = 2500 + 2500 + 2000;

void answerOpenDialog(const std::string& path) {
  QTimer::singleShot(0, [path] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      std::fprintf(stderr, "no open dialog\n");
      std::exit(1);
    }
    dialog->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
  });
}

// Runs one sequence; true when the stored image is the file and its zero tail.
bool runOnce(const char* linkName, const std::string& path, const std::string& image,
             readersim::BootLoader& boot) {
  answerOpenDialog(path);
  const auto start = std::chrono::steady_clock::now();
  Form1->btnFileClick();
  const double wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  const size_t blocks = image.size() / 2048 + 1;
  const double floorMs = static_cast<double>(blocks) * 500 + kFixedPausesMs;
  const std::string expected = image + std::string(blocks * 2048 - image.size(), '\0');
  const bool same = boot.Image() == expected;
  std::printf("%-8s %zu blocks  wall %.3f s  floor %.3f s  ratio %.4f  image %s\n", linkName,
              blocks, wallMs / 1000, floorMs / 1000, wallMs / floorMs,
              same ? "identical" : "DIFFERS");
  std::fflush(stdout);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const size_t imageSize = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256 * 1024;
  QApplication application(argc, argv);
  createConsoleWindows(application);

  readersim::ReaderSim sim;
  readersim::BootLoader boot(sim);
  const std::string pty = sim.StartPty();
  const uint16_t tcpPort = sim.StartTcp(0);
  if (pty.empty() || tcpPort == 0) {
    std::fprintf(stderr, "the simulator cannot serve\n");
    return 1;
  }

  QTemporaryDir dir;
  const std::string path = dir.filePath("image.bin").toStdString();
  std::string image(imageSize, '\0');
  std::mt19937 random(5170);
  for (char& byte : image) byte = static_cast<char>(random());
  std::ofstream(path, std::ios::binary)
      .write(image.data(), static_cast<std::streamsize>(image.size()));

  bool good = true;
  setenv(("COM" + std::to_string(kBenchCom) + "_DEVICE").c_str(), pty.c_str(), 1);
  if (!OpenSerialPort(kBenchCom, 57600)) {
    std::fprintf(stderr, "cannot open %s\n", pty.c_str());
    return 1;
  }
  SetReceiveCallback(ReceiveCallback);
  good = runOnce("serial", path, image, boot) && good;

  CloseSerialPort();
  if (Connect_Ethernet("127.0.0.1", tcpPort) != 1) {
    std::fprintf(stderr, "cannot connect to port %u\n", tcpPort);
    return 1;
  }
  LinkMode = LINK_ETHERNET;
  SetReceiveCallback(ReceiveCallback);
  good = runOnce("tcp", path, image, boot) && good;

  destroyConsoleWindows();
  sim.Stop();
  return good ? 0 : 1;
}

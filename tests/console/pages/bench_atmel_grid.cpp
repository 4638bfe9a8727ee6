// Timings of the ATMEL memory map on the real main window (offscreen): the
// layout switch to the largest card and back, "Clear", filling a 1025-byte
// read, and scrolling. Built with the tests, run by hand (not by ctest):
//   QT_QPA_PLATFORM=offscreen bench_atmel_grid
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ConsoleWindows.h"
#include "Main.h"
#include "atmel_card_lines.h"
#include "gui/RadioGroup.h"
#include "link/link.h"
#include "pages/AtmelGridModel.h"
#include "reader_sim.h"

namespace {

// Runs `step` (and the repaint it causes) `times` times; prints and returns
// the slowest run in milliseconds.
double slowest(const char* what, int times, const std::function<void()>& step) {
  double worst = 0;
  for (int i = 0; i < times; ++i) {
    QElapsedTimer timer;
    timer.start();
    step();
    Form1->sgAtmel->viewport()->repaint();
    QApplication::processEvents();
    worst = std::max(worst, timer.nsecsElapsed() / 1e6);
  }
  std::printf("%-44s slowest of %d: %8.2f ms\n", what, times, worst);
  return worst;
}

void chooseType(int index) {
  Form1->rgAtmel->setItemIndex(index);
  Form1->rgAtmelClick();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  createConsoleWindows(application);
  Form1->PageControl1->setCurrentWidget(Form1->TabSheet5);
  QApplication::processEvents();

  readersim::ReaderSim sim;
  readersim::AtmelCardLines atmel(sim);
  const std::string pty = sim.StartPty();
  setenv("COM3_DEVICE", pty.c_str(), 1);
  OpenSerialPort(3, 57600);
  SetReceiveCallback(ReceiveCallback);

  constexpr int kRuns = 10;
  slowest("switch to AT24C1024 (8,193 rows)", kRuns, [] {
    chooseType(0);
    QApplication::processEvents();
    chooseType(10);
  });
  slowest("switch from AT24C1024 back to AT24C01", kRuns, [] {
    chooseType(10);
    QApplication::processEvents();
    chooseType(0);
  });
  chooseType(10);
  Form1->sgAtmelCells->setBytes(0, std::vector<uint8_t>(131072, 0x5A));
  slowest("\"Clear\" on AT24C1024", kRuns, [] { Form1->Button39Click(); });
  slowest("fill of 1025 read bytes into the grid", kRuns,
          [] { Form1->sgAtmelCells->setBytes(0x1F000, std::vector<uint8_t>(1025, 0xA5)); });

  Form1->Button37Click();
  while (atmel.PoweredType() != 'A') QApplication::processEvents(QEventLoop::AllEvents, 10);
  Form1->edStartRead->setText("1F000");
  Form1->edEndRead->setText("1F400");
  slowest("\"AtmelRead\" of 1025 bytes over the pty", kRuns, [] { Form1->Button42Click(); });
  std::printf("  (the read's last cell shows \"%s\")\n",
              Form1->sgAtmelCells->cell(1, 0x1F400 / 16 + 1).toLatin1().constData());

  QScrollBar* bar = Form1->sgAtmel->verticalScrollBar();
  bar->setValue(0);
  const int steps = 200;
  QElapsedTimer timer;
  timer.start();
  double worst = 0;
  for (int i = 1; i <= steps; ++i) {
    QElapsedTimer one;
    one.start();
    bar->setValue(bar->maximum() * i / steps);
    Form1->sgAtmel->viewport()->repaint();
    worst = std::max(worst, one.nsecsElapsed() / 1e6);
  }
  std::printf("%-44s mean %.2f ms, slowest %.2f ms\n", "scroll step with repaint (200 jumps)",
              timer.nsecsElapsed() / 1e6 / steps, worst);

  CloseSerialPort();
  destroyConsoleWindows();
  return 0;
}

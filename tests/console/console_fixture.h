// The console's windows built as at start-up, with message boxes captured,
// and a reader simulator to talk to over a pseudo-terminal or loopback TCP.
#pragma once
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader_sim.h"

class QWidget;

class ConsoleTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The boxes shown since SetUp (or the last clear), oldest first.
  static std::vector<std::string> messages();
  static void clearMessages();

  // Maps COM`comNumber` to the simulator's pseudo-terminal.
  void mapComToSimulator(int comNumber);
  // Opens the serial link to the simulator through the dialog; true when the
  // pages were enabled.
  bool openSerialThroughDialog(int comNumber);
  // Connects the Ethernet link to the simulator through the dialog.
  bool openEthernetThroughDialog();
  // Runs `action` on the modal dialog once its exec() loop is running.
  static void onModal(std::function<void(QWidget*)> action);

  readersim::ReaderSim sim;
  uint16_t simTcpPort = 0;
  std::string simPty;
};

// Processes events until `condition` holds; false after timeoutMs.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

QString panelText();
QString memoText(const char* memoName);

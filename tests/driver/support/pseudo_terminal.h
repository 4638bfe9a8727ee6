// A pseudo-terminal for serial tests: the test holds the master side and
// hands the slave's path to the code under test (through COMn_DEVICE).
#pragma once
#include <cstddef>
#include <string>

class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  int Master() const { return master_; }

  // Bytes the slave side wrote, waiting until `count` arrived or timeoutMs
  // passed (then fewer).
  std::string Read(size_t count, int timeoutMs);
  // Whatever the slave side wrote and is waiting now.
  std::string ReadAvailable();
  // Writes towards the slave side.
  void Write(const std::string& bytes);
  // Hangs up: the slave side sees its device gone.
  void Close();

 private:
  int master_ = -1;
  std::string slavePath_;
};

// Points COM<comNumber> at `path` for this process.
void MapComPort(int comNumber, const std::string& path);

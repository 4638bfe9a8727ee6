// The reader's own network settings in the simulated reader, added to a
// ReaderSim with SetHandler:
//   "030" + two flag characters + 48 settings characters: stores the groups
//         whose flags are set (first flag: 1 DNS, 2 PORT; second, a hex digit:
//         1 MAC, 2 My IP, 4 GATE, 8 SUB); "000". Data of another length, or
//         flags that are not digits of their range: status 04, nothing stored.
//   "031" + "3F": "001" + the 48 stored characters.
// The settings text is MAC (12), My IP, GATE, SUB, DNS (8 each), PORT (4),
// every byte as two hex characters.
// Any thread may call any member; the handlers keep their state alive, so the
// simulator may outlive this object.
#pragma once
#include <memory>
#include <string>

#include "reader_sim.h"

namespace readersim {

class NetSettingsLines {
 public:
  // Registers the lines; the settings start as 48 '0' characters.
  explicit NetSettingsLines(ReaderSim& sim);

  std::string Text() const;
  // Replaces the stored text as it is (a test may store a short or odd one).
  void SetText(const std::string& text);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace readersim

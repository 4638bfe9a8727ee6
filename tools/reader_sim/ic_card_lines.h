// The IC card module of the simulated reader, added to a ReaderSim with
// SetHandler: card entry "500", power-on "51" + '0' (ISO) or '1' (EMV),
// direct command "530" + command APDU as hex text, and power-off "520".
//
// The card answers as follows (payloads are hex text, upper case):
//  - "500": the card goes to the contacts; "00" + '0'.
//  - "51" + mode: power-on in that mode, answered with the card's ATR:
//    ISO kIsoAtr, EMV kEmvAtr. Without an entry first: 41 (card not found);
//    a mode other than '0' or '1': 5 (command unidentified).
//  - "530" + APDU: the APDU is at least the four header bytes CLA INS P1 P2,
//    then optionally Lc and Lc data bytes, then optionally Le (0 meaning 256).
//    The answer is Le data bytes, byte i being the value i modulo 256, then
//    the status word 90 00; without Le only 90 00. Text that is not such an
//    APDU in hex (odd length, a non-hex character, fewer than four bytes, an
//    Lc of 0 or one the data does not match): 43 (data pollution). Without an entry: 41;
//    with the card not powered: 42 (power-on error).
//  - "520": the card is no longer powered (also when it was not); "00" + '0'.
// Error replies carry no payload.
//
// Any thread may call any member. The handlers keep what they need alive, so
// the simulator may outlive this object.
#pragma once
#include <memory>
#include <string>

#include "reader_sim.h"

namespace readersim {

// The answers to reset of the two power-on modes.
constexpr const char kIsoAtr[] = "3B0353494D";
constexpr const char kEmvAtr[] = "3B6200004943";

enum class IcCommand { Entry, PowerOn, Direct, PowerOff };

class IcCardLines {
 public:
  static constexpr int kEveryTime = -1;

  explicit IcCardLines(ReaderSim& sim);

  // The next `times` lines of `command` are answered with `status`, one of
  // the IC module's error statuses 30-46, and change nothing; kEveryTime
  // keeps the fault until cleared. Any other status raises
  // std::invalid_argument.
  void Fail(IcCommand command, int status, int times = kEveryTime);
  void ClearFaults();

  bool Entered() const;
  // '0' ISO or '1' EMV while the card is powered, '\0' while it is not.
  char PowerMode() const;

  // The payload a direct command line's data is answered with, "" when the
  // data is no command APDU.
  static std::string DirectAnswer(const std::string& apduHex);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace readersim

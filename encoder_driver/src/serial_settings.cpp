#include "serial_settings.h"

#include <iterator>

namespace {

constexpr int32_t kBaudRates[] = {110, 150, 300, 600, 1200, 2400, 4800, 9600, 19200};
constexpr int32_t kDefaultBaudIndex = 7;

constexpr int32_t kDataBitsSeven = 2;
constexpr int32_t kDataBitsEight = 3;
constexpr int32_t kTwoStopBits = 4;
constexpr int32_t kParityOdd = 1;
constexpr int32_t kParityEven = 3;
constexpr int kParityShift = 3;
constexpr int kBaudShift = 5;

}  // namespace

int32_t BaudIndex(int32_t baud) {
  for (int32_t index = 0; index < static_cast<int32_t>(std::size(kBaudRates)); ++index) {
    if (kBaudRates[index] == baud && index != kDefaultBaudIndex) return index;
  }
  return kDefaultBaudIndex;
}

int32_t BuildSettingsWord(int32_t baud, int32_t parity, int32_t dataBits, int32_t stopBits) {
  int32_t word = dataBits == 7 ? kDataBitsSeven : kDataBitsEight;
  if (stopBits == 2) word += kTwoStopBits;
  const char parityChar = static_cast<char>(parity & 0xFF);
  const int32_t parityCode = parityChar == 'E' ? kParityEven : parityChar == 'O' ? kParityOdd : 0;
  return word + (parityCode << kParityShift) + (BaudIndex(baud) << kBaudShift);
}

platform::SerialSettings SerialSettingsFromWord(int32_t settings, int32_t flow) {
  platform::SerialSettings port;  // the base: 9600 8N1, DTR and RTS on, no flow control
  const int32_t baudIndex = (settings >> kBaudShift) & 0xF;
  if (baudIndex < static_cast<int32_t>(std::size(kBaudRates))) port.baud = kBaudRates[baudIndex];
  const int32_t parityCode = (settings >> kParityShift) & 0x3;
  if (parityCode == kParityOdd) port.parity = platform::Parity::Odd;
  if (parityCode == kParityEven) port.parity = platform::Parity::Even;
  if (settings & kTwoStopBits) port.stopBits = 2;
  if ((settings & 0x3) == kDataBitsSeven) port.dataBits = 7;
  if (flow == kFlowXonXoff) port.flow = platform::FlowControl::XonXoff;
  if (flow == kFlowDtrCtsDsr) port.flow = platform::FlowControl::RtsCts;
  return port;
}

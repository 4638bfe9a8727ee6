#include "reply/StatusMessages.h"

const char* ShownStatusMessage(int status) {
  const char* message = StatusMessage(status);
  return message ? message : "Unknown Error !!";
}

const char* StatusMessage(int status) {
  switch (status) {
    case 3: return "Time out while receiving data !!";
    case 4: return "Transmission error on receiving data !!";
    case 5: return "Command unidentified !!";
    case 6: return "Amount of data > 1024  ";
    case 7: return "Track information error !!";
    case 8: return "Card handing error !!";
    case 10: return "Card jam !!            ";
    case 11: return "LRC error !!";
    case 12: return "Check error !!";
    case 14: return "Parity error !!";
    case 17: return "Bit memory overflow !!";
    case 18: return "No end sentinel !!";
    case 19: return "Card not encoded !!";
    case 20: return "Wrong start sentinel !!";
    case 21: return "Unexpected end of card !!";
    case 30: return "IC Card Block wait time Error !!";
    case 31: return "IC Card Parity Error !!";
    case 32: return "IC Card Character wait time Error !!";
    case 35: return "IC Card PTS confirm Error !!";
    case 36: return "Time out !!(Between IC Card and VXP-3100)";
    case 37: return "ATR Length over Error !!";
    case 40: return "ATR Format Error !!";
    case 41: return "IC Card not found !!";
    case 42: return "IC Card Power on Error !!";
    case 43: return "Data pollution Error !!";
    case 45: return "VXP-3100 can't receive ATR !!";
    case 46: return "Communication Error with EMV Module(VXP-3100)";
    case 50: return "Card not supported, ATMEL IC Card";
    case 51: return "ATMEL Card Read/Write Error";
    default: return nullptr;
  }
}

int RemapReadStatus(int status) {
  switch (status) {
    case 32: return 20;
    case 24: return 18;
    case 20: return 14;
    case 17: return 11;
    case 25: return 19;
    default: return status;
  }
}

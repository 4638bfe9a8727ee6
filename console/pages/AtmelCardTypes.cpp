#include "pages/AtmelCardTypes.h"

namespace {

const AtmelCardType kTypes[kAtmelCardTypeCount] = {
    {"AT24C01", 9, 2, 25, '0'},     {"AT24C02", 17, 2, 25, '1'},     {"AT24C04", 33, 3, 25, '2'},
    {"AT24C08", 65, 3, 25, '3'},    {"AT24C16", 129, 3, 25, '4'},    {"AT24C32", 257, 3, 25, '5'},
    {"AT24C64", 513, 4, 30, '6'},   {"AT24C128", 1025, 4, 30, '7'},  {"AT24C256", 2049, 4, 30, '8'},
    {"AT24C512", 4097, 4, 30, '9'}, {"AT24C1024", 8193, 5, 35, 'A'},
};

}  // namespace

const AtmelCardType& AtmelCardTypeAt(int index) {
  return kTypes[index >= 0 && index < kAtmelCardTypeCount ? index : 0];
}

// The ATMEL serial-EEPROM memory cards the reader drives, by the index of the
// card-type radio group.
#pragma once

struct AtmelCardType {
  const char* name;
  int rows;               // grid rows, the header row included
  int addressDigits;      // hex digits of an address on this card
  int headerColumnWidth;  // design width of the row-header column
  char typeChar;          // what power on names the card by
  int bytes() const { return (rows - 1) * 16; }
};

constexpr int kAtmelCardTypeCount = 11;

// The type at `index`; an index outside 0-10 gives the first type.
const AtmelCardType& AtmelCardTypeAt(int index);

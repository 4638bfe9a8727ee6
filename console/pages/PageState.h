// State of the main window's unit kept by the card-control, bit-memory, read
// test and write test pages. GUI thread only: the pages' handlers are the only
// readers and writers.
#pragma once

// The letter the "Norm" button sent last ('I' or 'B'; 'B' until then).
extern char NormChar[2];

// The bit-memory window chosen by its radio buttons, 1-5; 0 until one is
// clicked, which "Send" takes as the first window.
extern int BitMemoryMode;

// The read mode of the read test (1-6) and the write mode of both write tests
// (1-5), chosen by their radio buttons; 1 at start.
extern int ReadMode;
extern int WriteMode;

// The modes from these on wait for the operator to insert a card.
constexpr int kFirstInsertCardReadMode = 4;
constexpr int kFirstInsertCardWriteMode = 4;

// The command of a mode: its CommandId (equal to the prefix digits) and its
// CommandCode. A mode outside the table gives that of mode 1.
struct TrackCommand {
  int commandId;
  int commandCode;
};
TrackCommand ReadModeCommand(int mode);
TrackCommand WriteModeCommand(int mode);

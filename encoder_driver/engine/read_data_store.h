// Storing a successful read reply (in recvBuf) into the host's record.
#pragma once

#include "TRKDRV32.h"
#include "session.h"

// Raw track: the 264 bits after the reply's framing character become the
// area's first 33 bytes and the length byte 33. ISO track: the reply's bit text
// is decoded into the area and the length byte is the character count.
// Returns MRW_OK, or MRW_ENCODERERROR with the length byte 0 and the cause in
// the track's byte of lastError: the decoder's code, or 19 for a raw reply
// that does not hold 264 bits after its framing character. A track outside
// 1-3 (or no record) stores nothing.
int StoreReadData(SessionRecord* session, CoderRecord* record, int track);

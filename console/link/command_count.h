// The count behind CommandsSent(): a send notes itself here at the moment
// from which any further input may be its answer (for serial, under the
// port's input lock), with the time its last byte still takes to go out. It
// tells the send observer, and returns what that says: true when input
// already waiting may still answer an earlier command.
#pragma once
#include <cstdint>

bool CountCommandSent(const uint8_t* bytes, int length, uint32_t goesOutInMs);

// The observer's beforeSend, if any.
void WaitBeforeSend();
// The observer's lineAnsweredNothing; false without one.
bool LineAnsweredNothing();

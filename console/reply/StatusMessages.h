// The reader's error statuses as the operator reads them.
#pragma once

// The message of a non-zero StatusCode; nullptr for a status without a message
// of its own (shown as "Unknown Error !!").
const char* StatusMessage(int status);
// What the reply handler shows for a non-zero status: its message, or
// "Unknown Error !!".
const char* ShownStatusMessage(int status);

// Track reads report some errors under other numbers; the read handler shows
// them as the status they stand for (32 -> 20, 24 -> 18, 20 -> 14, 17 -> 11,
// 25 -> 19, one step only). Other statuses are returned unchanged.
int RemapReadStatus(int status);

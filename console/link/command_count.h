// The count behind CommandsSent(): a send notes itself here at the moment
// from which any further input must be its answer (for serial, under the
// port's input lock, together with the purge of older input).
#pragma once
#include <cstdint>

void CountCommandSent();

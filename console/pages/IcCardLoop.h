// State of the IC card loop ("Loop" and "Break" of "IC Card Test"). GUI
// thread only.
#pragma once
#include <cstdint>

// The loop's stop request: "Break" and the program's " Exit" set it; the loop
// ends at its next step.
extern uint8_t IcLoopBreak;

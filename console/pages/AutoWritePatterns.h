// The patterns of the "Auto Test" write test and what becomes of them: the
// default texts, their bit text in BIT norm, the data each write sends and the
// one-character shift after it. No Qt: plain text in, plain text out.
#pragma once
#include <string>

// The four tracks of a pass, in the order the passes visit them.
enum AutoTrack { kAutoTrack1, kAutoTrack2, kAutoTrack3, kAutoTrackTimeLox, kAutoTrackCount };

// Loaded into the four boxes at every start of the test.
extern const char* const kDefaultPatterns[kAutoTrackCount];

// A pattern is worked on in a buffer of this many characters with its zero:
// longer box texts are cut to the first kPatternBufferSize - 1 characters.
constexpr int kPatternBufferSize = 1024;

// The eight '0'/'1' characters of `c` and a zero into `bits` (room for 9).
// '0'-'9' and the seven characters from ':' to the commercial at count 0-16
// from '0'; 'A'-'F' count 10-15; every other character counts its own code.
// The low eight bits of that value, most significant first.
void HexCharToBits(char c, char* bits);

// The bit text of a track's first BIT write: 8 bits for each of the track's
// first 67, 23, 64 or 64 pattern characters, "00000000" for each position past
// the pattern's end.
std::string PatternBits(AutoTrack track, const std::string& pattern);

// The data a write of `track` sends after its track character. ISO (`bitNorm`
// false): the pattern. BIT, pattern not yet converted in this run: its
// PatternBits. BIT, already converted (the pattern is bit text): the pattern,
// for TimeLox inside the frame "00001011" ... "00001111".
std::string AutoWriteData(AutoTrack track, const std::string& pattern, bool bitNorm,
                          bool converted);

// What the box holds after a write that sent `sent`: `sent` moved left by one
// character, the first one going to the end. The TimeLox pattern moves only in
// ISO norm: in BIT norm `pattern` (the box's bit text) stays as it is.
std::string PatternAfterWrite(AutoTrack track, const std::string& pattern, const std::string& sent,
                              bool bitNorm);

// The check that an ISO write's track text can be coded: every character in
// the track's set and the text no longer than the track holds. Pure function.
#pragma once

constexpr int kCheckAccepted = 0;
constexpr int kCheckBadChar = 36;  // MRW_BADCHAR
constexpr int kCheckTooLong = 37;  // MRW_TOOLONG

// Longest text accepted per track.
constexpr int kTrack1MaxChars = 76;
constexpr int kTrack2MaxChars = 37;
constexpr int kTrack3MaxChars = 104;

// Checks `length` characters of `text` for track 1, 2 or 3 when the track's
// coding flag is non-zero (flag 0 is raw mode: accepted unexamined). Returns 0,
// 36 for the first character outside the set (or a track other than 1-3), 37
// for a text longer than the track's limit. A bad character is reported before
// an excess length; a negative length examines nothing and is accepted.
int CheckTrackData(const char* text, int length, int track, int flag);

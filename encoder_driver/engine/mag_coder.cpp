// MagCoder: one link initialisation, then one command per asked track, folded
// into one result.
#include <cstring>

#include "coder_call_common.h"
#include "protocol_engine.h"
#include "track_fields.h"
#include "track_validation.h"

namespace {

// Failed tracks against asked tracks.
int foldTrackResults(int asked, int failed) {
  if (failed == 0) return MRW_OK;
  return failed >= asked ? MRW_ALLFAILED : MRW_SOMEFAILED;
}

int initialiseLink(SessionRecord* session, CoderRecord* record) {
  return mrw_state_machine(session, READ_CARD, record, 0);
}

// A failed link initialisation ends the call; so does an abort seen during
// it, lest a motorised reader start a command the host has cancelled.
bool callEndsAtLink(const SessionRecord* session, int linkResult) {
  return (linkResult & 0xFFFF) != 0 || session->aborted;
}

int readTracks(SessionRecord* session, CoderRecord* record) {
  const int linkResult = initialiseLink(session, record);
  if (callEndsAtLink(session, linkResult)) return linkResult;
  int asked = 0;
  int failed = 0;
  for (int track = 1; track <= 3; ++track) {
    if (TrackLength(record, track) == 0) continue;
    ++asked;
    const int result = mrw_state_machine(session, READ_CARD, record, track);
    if (result != MRW_OK) ++failed;
    if (result == MRW_TIMEOUT) {
      session->lastResult = MRW_UNEXPECTED;
      return MRW_TIMEOUT;
    }
    if (session->aborted) return result;
  }
  return foldTrackResults(asked, failed);
}

int writeTracks(SessionRecord* session, CoderRecord* record) {
  const int linkResult = initialiseLink(session, record);
  if (callEndsAtLink(session, linkResult)) return linkResult;

  const uint8_t kept[3] = {record->len1, record->len2, record->len3};
  int asked = 0;
  int failed = 0;
  for (int track = 1; track <= 3; ++track) {
    uint8_t& length = TrackLength(record, track);
    if (length == 0) continue;
    ++asked;
    const int code = CheckTrackData(TrackArea(record, track), static_cast<int8_t>(length), track,
                                    TrackCodingFlag(session, track));
    if (code != 0) {
      SetTrackError(session, code, track);
      // Not written, and not counted among the written tracks when the
      // write lines are chosen.
      length = 0;
      ++failed;
    }
  }

  // Writes in track order. A time-out ends the writing; an abort during
  // track 2 or 3 leaves at once, with the refused tracks' length bytes at 0.
  int result = linkResult;
  bool stopped = false;
  if (record->len1 != 0) {
    result = mrw_state_machine(session, WRITE_CARD, record, 1);
    if (result != MRW_OK) ++failed;
  }
  stopped = result == MRW_TIMEOUT || session->aborted;
  if (!stopped && record->len2 != 0) {
    result = mrw_state_machine(session, WRITE_CARD, record, 2);
    if (result != MRW_OK) ++failed;
    if (session->aborted) return result;
    stopped = result == MRW_TIMEOUT;
  }
  if (!stopped && record->len3 != 0) {
    result = mrw_state_machine(session, WRITE_CARD, record, 3);
    if (result != MRW_OK) ++failed;
    if (session->aborted) return result;
  }

  record->len1 = kept[0];
  record->len2 = kept[1];
  record->len3 = kept[2];
  return foldTrackResults(asked, failed);
}

}  // namespace

extern "C" int32_t MagCoder(int32_t handle, int32_t command, CoderRecord* record) {
  if (record == nullptr || record->size != CODER_RECORD_SIZE) return STRUCTSIZEERROR;
  ActiveCall call(handle);
  SessionRecord* session = call.session();
  if (session == nullptr) return MRW_NOSESSION;

  int result;
  switch (command) {
    case INIT_LINK:
      StartCoderCommand(session, false);
      result = initialiseLink(session, record);
      break;
    case READ_CARD:
      StartCoderCommand(session, true);
      result = readTracks(session, record);
      break;
    case WRITE_CARD:
      StartCoderCommand(session, true);
      result = writeTracks(session, record);
      break;
    default:
      result = MRW_COMMERROR;
      break;
  }

  std::memset(record->scratch, 0, sizeof record->scratch);
  result = FinishAbortedCall(session, result);
  return PackCoderResult(result, session->lastResult);
}

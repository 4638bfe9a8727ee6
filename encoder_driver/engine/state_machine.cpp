// mrw_state_machine: what an event does in each protocol state, and which
// result code a reader status becomes there.
#include "link_io.h"
#include "platform/tick.h"
#include "protocol_engine.h"
#include "read_data_store.h"

namespace {

// Any MessageCode outside the line table: nothing is sent.
constexpr MessageCode kNoLine = static_cast<MessageCode>(23);

bool isMappedStatus(int status) {
  return status == 1 || (status >= 3 && status <= 12) || status == 14 ||
         (status >= 17 && status <= 21) || status == 23;
}

// The result of a mapped status in the ready, read and write states; statuses
// 5 and 8 differ between them.
int mappedStatusResult(int status, int resultOfStatus5, int resultOfStatus8) {
  switch (status) {
    case 3:
    case 20:
      return MRW_RECEIVEERROR;
    case 4:
      return MRW_TRANSMISSIONERROR;
    case 5:
      return resultOfStatus5;
    case 6:
      return MRW_DATAOVERFLOW;
    case 8:
      return resultOfStatus8;
    case 14:
      return MRW_PARITYERROR;
    case 17:
      return MRW_MEMORYOVERFLOW;
    default:
      return MRW_ENCODERERROR;
  }
}

MessageCode writeCode(const SessionRecord* session, int track) {
  switch (track) {
    case 1:
      return session->nonHalvikTrack1 ? MSG_WRITE_TRACK1_ISO : MSG_WRITE_TRACK1_RAW;
    case 2:
      return session->nonHalvikTrack2 ? MSG_WRITE_TRACK2_ISO : MSG_WRITE_TRACK2_RAW;
    case 3:
      return session->nonHalvikTrack3 ? MSG_WRITE_TRACK3_ISO : MSG_WRITE_TRACK3_RAW;
    default:
      return kNoLine;
  }
}

MessageCode readCode(const SessionRecord* session, int track) {
  switch (track) {
    case 1:
      return session->nonHalvikTrack1 ? MSG_READ_TRACK1_ISO : MSG_READ_TRACK1_RAW;
    case 2:
      return session->nonHalvikTrack2 ? MSG_READ_TRACK2_ISO : MSG_READ_TRACK2_RAW;
    case 3:
      return session->nonHalvikTrack3 ? MSG_READ_TRACK3_ISO : MSG_READ_TRACK3_RAW;
    default:
      return kNoLine;
  }
}

// The call's own link initialisation and the one that status 28 nests in it.
constexpr int32_t kLinkInitNesting = 2;

int initState(SessionRecord* session, int event, CoderRecord* record) {
  if (event == 0) return MRW_OK;
  if (isMappedStatus(event)) {
    session->lastError = static_cast<uint32_t>(event);
    return MRW_ENCODERERROR;
  }
  if (event == READ_CARD) {
    // A reply with status 28 to a link initialisation line starts another
    // one; a reader answering so to that one's lines too would nest without
    // end.
    if (session->linkInitDepth >= kLinkInitNesting) return MRW_UNEXPECTED;
    ++session->linkInitDepth;
    InitLink(session, record);
    // After an abort the reader gets no further line.
    if (session->lastResult > 0 && !session->aborted) {
      session->initNorm = kInitNormAgain;
      InitLink(session, record);
    }
    --session->linkInitDepth;
    session->mrw_state = MRW_STATE_READY;
    return session->lastResult;
  }
  return MRW_UNEXPECTED;
}

// Sends a track command and waits for its reply in `awaitState`.
int trackCommand(SessionRecord* session, CoderRecord* record, int track, MessageCode code,
                 int awaitState) {
  PrepareTrackCommand(session, record, track);
  send_msg(session, code, record, track);
  session->deadline = platform::TickCount() + static_cast<uint32_t>(session->timeoutMs);
  session->mrw_state = awaitState;
  WaitReply(session, record, track);
  return session->lastResult;
}

int readyState(SessionRecord* session, int event, CoderRecord* record, int track) {
  if (event == 0) return MRW_OK;
  if (isMappedStatus(event)) {
    SetTrackError(session, event, track);
    return mappedStatusResult(event, MRW_COMMANDREJECTED, MRW_ENCODERERROR);
  }
  // For track 0 these come only as a reply (status 27 or 28) to a link
  // initialisation line: a command that sends nothing and would wait out the
  // whole time-out for a reader that answers so again and again.
  if ((event == WRITE_CARD || event == READ_CARD) && track == 0) return MRW_UNEXPECTED;
  switch (event) {
    case 22:
      return MRW_STATUS22;
    case WRITE_CARD:
      return trackCommand(session, record, track, writeCode(session, track), MRW_STATE_WRITE);
    case READ_CARD:
      return trackCommand(session, record, track, readCode(session, track), MRW_STATE_READ);
    case MRW_EV_TIMEOUT:
      return MRW_TIMEOUT;
    case 31:
      send_msg(session, MSG_CARD_IN, nullptr, track);
      return session->lastResult;
    default:
      session->lastError = 0;
      return MRW_UNEXPECTED;
  }
}

// The read (4) and write (5) states: every event returns to the ready state.
int replyState(SessionRecord* session, int event, CoderRecord* record, int track, bool writing) {
  session->mrw_state = MRW_STATE_READY;
  if (event == 0) {
    SetTrackError(session, 0, track);
    return writing ? MRW_OK : StoreReadData(session, record, track);
  }
  if (isMappedStatus(event)) {
    SetTrackError(session, event, track);
    return mappedStatusResult(event, MRW_COMMANDUNKNOWN,
                              writing ? MRW_COMMANDREJECTED : MRW_ENCODERERROR);
  }
  switch (event) {
    case 22:
      return MRW_STATUS22;
    case MRW_EV_TIMEOUT:
      send_msg(session, MSG_NO_OPERATION, nullptr, track);
      return MRW_TIMEOUT;
    default:
      session->lastError = 0;
      return MRW_UNEXPECTED;
  }
}

}  // namespace

int mrw_state_machine(SessionRecord* session, int event, CoderRecord* record, int track) {
  int result;
  switch (session->mrw_state) {
    case MRW_STATE_INIT:
      result = initState(session, event, record);
      break;
    case MRW_STATE_READY:
      if (IsLinkLost(session)) {
        session->lastResult = MRW_UNEXPECTED;
        return MRW_COMMERROR;
      }
      result = readyState(session, event, record, track);
      break;
    case MRW_STATE_READ:
      result = replyState(session, event, record, track, false);
      break;
    case MRW_STATE_WRITE:
      result = replyState(session, event, record, track, true);
      break;
    default:
      return session->lastResult;
  }
  session->lastResult = result;
  return result;
}

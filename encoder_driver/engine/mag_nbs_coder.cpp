// MagNBSCoder: one framed message of texts and track data on the session's
// socket; no answer is awaited.
#include "coder_call_common.h"
#include "nbs_message.h"
#include "net_transport.h"

static_assert(kNbsMessageMax <= kLineBufferSize, "the message is built in sendBuf");

namespace {

// Only a TCP/IP session has a socket; any other session's send fails without
// touching a descriptor.
int sendMessage(SessionRecord* session, const CoderRecord* record, const char* texts) {
  if (texts == nullptr || !session->isTcp) return MRW_COMMERROR;
  const int length = BuildNbsMessage(session->sendBuf, record, texts);
  if (length < 0) return MRW_COMMERROR;
  return NetSend(session, session->sendBuf, length) ? MRW_OK : MRW_COMMERROR;
}

}  // namespace

extern "C" int32_t MagNBSCoder(int32_t handle, int32_t command, CoderRecord* record,
                               const char* texts) {
  if (record == nullptr || record->size != CODER_RECORD_SIZE) return STRUCTSIZEERROR;
  ActiveCall call(handle);
  SessionRecord* session = call.session();
  if (session == nullptr) return MRW_NOSESSION;

  int result = MRW_COMMERROR;
  switch (command) {
    case WRITE_CARD:
      StartCoderCommand(session, true);
      result = sendMessage(session, record, texts);
      break;
    case READ_CARD:
      StartCoderCommand(session, true);
      break;
    case INIT_LINK:
      StartCoderCommand(session, false);
      break;
    default:
      break;
  }
  result = FinishAbortedCall(session, result);
  return PackCoderResult(result, session->lastResult);
}

#include "command_table.h"
#include "frame_codec.h"
#include "sim_impl.h"

namespace readersim {

Reply TextReply(const Request& request, int status, const std::string& payload) {
  Reply reply;
  reply.status = status;
  reply.echo = EchoOf(request.line);
  reply.payload = payload;
  return reply;
}

Reply FrameReply(const std::string& data) {
  Reply reply;
  reply.binary = true;
  reply.payload = data;
  return reply;
}

Reply RawReply(const std::string& bytes) {
  Reply reply;
  reply.raw = true;
  reply.payload = bytes;
  return reply;
}

ReplyFault DropReply(const std::string& prefix, int nth) {
  ReplyFault fault;
  fault.prefix = prefix;
  fault.nth = nth;
  return fault;
}

ReplyFault LateReply(const std::string& prefix, int nth, int delayMs) {
  ReplyFault fault = DropReply(prefix, nth);
  fault.kind = ReplyFault::Delay;
  fault.delayMs = delayMs;
  return fault;
}

ReplyFault ExtraReply(const std::string& prefix, int nth, const std::string& extraLine,
                      int gapMs) {
  ReplyFault fault = DropReply(prefix, nth);
  fault.kind = ReplyFault::Extra;
  fault.extraLine = extraLine;
  fault.extraGapMs = gapMs;
  return fault;
}

std::string EncodeReply(const Reply& reply) {
  if (reply.silent) return "";
  if (reply.raw) return reply.payload;
  if (reply.binary) return BuildReplyFrame(reply.payload);
  int status = reply.status < 0 ? 0 : reply.status % 100;
  std::string text{static_cast<char>('0' + status / 10), static_cast<char>('0' + status % 10), reply.echo};
  return text + reply.payload + "\n";
}

}  // namespace readersim

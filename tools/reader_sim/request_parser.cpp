#include "request_parser.h"

#include "command_table.h"
#include "frame_codec.h"

namespace readersim {

void RequestParser::Feed(const char* bytes, size_t count, std::vector<Request>& out) {
  for (size_t i = 0; i < count; ++i) {
    char byte = bytes[i];
    if (state_ == State::Idle) {
      pending_.clear();
      frameSize_ = 0;
      state_ = static_cast<unsigned char>(byte) == kFrameStart ? State::Frame : State::Line;
    }
    if (state_ == State::Line) {
      if (byte == '\n') {
        finishLine(out);
      } else if (pending_.size() < kMaxLineBytes) {
        pending_.push_back(byte);
      }
      continue;
    }
    pending_.push_back(byte);
    if (pending_.size() == 3) {
      frameSize_ = RequestFrameSize(static_cast<unsigned char>(pending_[1]),
                                    static_cast<unsigned char>(pending_[2]));
    }
    if (frameSize_ != 0 && pending_.size() >= frameSize_) finishFrame(out);
  }
}

void RequestParser::finishLine(std::vector<Request>& out) {
  if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
  Request request;
  request.line = pending_;
  request.prefix = TablePrefixOf(pending_);
  request.data = request.prefix.empty() ? pending_ : pending_.substr(request.prefix.size());
  out.push_back(std::move(request));
  state_ = State::Idle;
}

void RequestParser::finishFrame(std::vector<Request>& out) {
  Request request;
  request.binary = true;
  request.frameError = !CheckRequestFrame(pending_, request.data);
  request.frame = pending_;
  out.push_back(std::move(request));
  state_ = State::Idle;
}

}  // namespace readersim

// Cuts the byte stream of one peer into requests. Text lines end at LF; their
// text drops the LF and one CR before it. A 0x60 byte where no line has begun
// starts a binary frame, whose length field says where it ends. A line keeps
// only its first kMaxLineBytes bytes (the rest up to its LF is dropped), so a
// peer that never sends LF cannot grow the buffer without bound.
#pragma once
#include <string>
#include <vector>

#include "reader_sim.h"

namespace readersim {

class RequestParser {
 public:
  static constexpr size_t kMaxLineBytes = 65536;

  // Appends the requests completed by `bytes` to `out`.
  void Feed(const char* bytes, size_t count, std::vector<Request>& out);

 private:
  enum class State { Idle, Line, Frame };
  void finishLine(std::vector<Request>& out);
  void finishFrame(std::vector<Request>& out);

  State state_ = State::Idle;
  std::string pending_;
  size_t frameSize_ = 0;  // known once the length field has come
};

}  // namespace readersim

// How the bytes of the connection become reply lines: one line per call
// however the bytes arrive, the rest kept for the next call and dropped with
// the connection, lines over 1024 bytes refused without harm to the next.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZUV_ETHERNET.h"
#include "link_test_support.h"
#include "platform/tick.h"
#include "raw_peer.h"

namespace {

using namespace linktest;

constexpr int kGapMs = 20;

using LinePeer = ConnectedToRawPeer;

struct Split {
  const char* name;
  std::vector<std::string> pieces;  // written this way, kGapMs apart
  std::vector<Received> expected;   // what the calls give, in order
};

void PrintTo(const Split& split, std::ostream* out) { *out << split.name; }

Received line(const std::string& text) { return {1, text}; }
const Received kRefused{-1, ""};

std::string numbered(int i, size_t size) {
  std::string text = std::to_string(i);
  text.resize(size - 2, '.');
  return text + "\r\n";
}

// `count` lines of `size` bytes each, in one piece, and how they come back.
Split manyLines(const char* name, int count, size_t size) {
  Split split{name, {""}, {}};
  for (int i = 0; i < count; ++i) {
    split.pieces[0] += numbered(i, size);
    split.expected.push_back(line(numbered(i, size)));
  }
  return split;
}

class LineSplit : public LinePeer, public ::testing::WithParamInterface<Split> {};

TEST_P(LineSplit, EachCallGivesTheNextLine) {
  peer_.SendInPieces(GetParam().pieces, kGapMs);
  for (size_t i = 0; i < GetParam().expected.size(); ++i) {
    SCOPED_TRACE("call " + std::to_string(i));
    const Received got = Receive();
    EXPECT_EQ(got.result, GetParam().expected[i].result);
    EXPECT_EQ(got.line, GetParam().expected[i].line);
  }
  EXPECT_TRUE(ShownBoxes().empty());
}

const std::string kFull = std::string(1023, 'f') + "\n";
const std::string kOverlong = std::string(1024, 'o') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Arrivals, LineSplit,
    ::testing::Values(
        Split{"TwoLinesInOnePiece", {"001a\n002b\r\n"}, {line("001a\n"), line("002b\r\n")}},
        Split{"LineInPieces", {"00", "1a", "\r", "\n"}, {line("001a\r\n")}},
        Split{"LinesAcrossPieces", {"001a\n00", "2b\n003", "c\n"}, {line("001a\n"), line("002b\n"), line("003c\n")}},
        Split{"LoneLineEnds", {"\n\n00\n"}, {line("\n"), line("\n"), line("00\n")}},
        manyLines("ManyShortLinesInOneBlock", 200, 16),
        manyLines("MoreLinesThanOneReadHolds", 60, 271),
        Split{"FullLineThenAShortOne", {kFull + "000ok\r\n"}, {line(kFull), line("000ok\r\n")}},
        Split{"OverlongLineThenAShortOne", {kOverlong + "000ok\r\n"}, {kRefused, line("000ok\r\n")}},
        Split{"OverlongLineInPieces",
              {std::string(3000, 'o'), std::string(3000, 'o'), std::string(3000, 'o'), "o\n000ok\n"},
              {kRefused, line("000ok\n")}},
        Split{"TwoOverlongLinesInARow", {kOverlong + kOverlong + "01\n"}, {kRefused, kRefused, line("01\n")}}),
    [](const auto& info) { return std::string(info.param.name); });

// What waits when a command goes out is not its reply: here a reply that was
// not whole when its receive gave up, and its rest.
TEST_F(LinePeer, EachCommandReadsItsOwnReply) {
  peer_.Send("002la");
  RaceTicks();
  ASSERT_EQ(Receive().result, -3);
  peer_.Send("te\n");  // on loopback in the library's socket once written
  ASSERT_EQ(Send("003\r\n"), 1);
  const uint32_t sentAt = TicksRead();
  peer_.Send("003c\n");
  EXPECT_EQ(Receive().line, "003c\n");
  // Asked for 100 s after the send: a line already there is handed over, then -3.
  peer_.Send("003d\n");
  while (TicksRead() - sentAt < 100000) platform::TickCount();
  EXPECT_EQ(Receive().line, "003d\n");
  EXPECT_EQ(Receive().result, -3);
}

// ---- kept bytes go with the connection

struct Reconnect {
  const char* name;
  void (*renew)(uint16_t port);  // ends the connection and makes a new one
};

void PrintTo(const Reconnect& reconnect, std::ostream* out) { *out << reconnect.name; }

class KeptBytes : public LinePeer, public ::testing::WithParamInterface<Reconnect> {
 protected:
  // Renews the connection and expects the first line of the new one.
  void expectNewConnectionStartsClean() {
    GetParam().renew(peer_.Port());
    ASSERT_TRUE(peer_.Accept());
    peer_.Send("004d\n");
    const Received got = Receive();
    EXPECT_EQ(got.result, 1);
    EXPECT_EQ(got.line, "004d\n");
  }
};

TEST_P(KeptBytes, LinesReadAheadAreDroppedWithTheConnection) {
  peer_.Send("001a\n002b\n003");
  ASSERT_EQ(Receive().line, "001a\n");
  expectNewConnectionStartsClean();
}

TEST_P(KeptBytes, OverlongLineBeingDroppedEndsWithTheConnection) {
  peer_.Send(std::string(2000, 'o'));
  RaceTicks();
  ASSERT_EQ(Receive().result, -3);  // the line never ended
  RestoreTicks();
  expectNewConnectionStartsClean();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, KeptBytes,
    ::testing::Values(Reconnect{"CloseThenConnect",
                                [](uint16_t port) {
                                  Closed_Ethernet();
                                  Connect_Ethernet("127.0.0.1", port);
                                }},
                      Reconnect{"ConnectAlone", [](uint16_t port) { Connect_Ethernet("127.0.0.1", port); }},
                      Reconnect{"CloseThenSend",
                                [](uint16_t) {
                                  Closed_Ethernet();
                                  Send("000\r\n");  // reconnects by itself
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The simulator's card lines: what the page tests rely on the simulated card
// to do, checked over a loopback TCP connection and through the card itself.
#include "card_lines.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using readersim::CardLines;
using readersim::ReaderSim;

// One reader line out, one reply line back.
class LineClient {
 public:
  explicit LineClient(uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~LineClient() { ::close(fd_); }
  bool connected() const { return connected_; }

  std::string ask(const std::string& line) {
    const std::string out = line + "\r\n";
    if (::write(fd_, out.data(), out.size()) != static_cast<ssize_t>(out.size())) return "";
    std::string reply;
    char byte = 0;
    pollfd readable{fd_, POLLIN, 0};
    while (::poll(&readable, 1, 3000) == 1 && ::read(fd_, &byte, 1) == 1) {
      if (byte == '\n') return reply;
      reply.push_back(byte);
    }
    return reply + "<no LF>";
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

class CardLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = sim_.StartTcp();
    ASSERT_NE(port_, 0);
  }
  ReaderSim sim_;
  CardLines card_{sim_};
  uint16_t port_ = 0;
};

TEST_F(CardLinesTest, DefaultCardReadsEveryTrackInIso) {
  LineClient client(port_);
  ASSERT_TRUE(client.connected());
  EXPECT_EQ(client.ask("201"), "001CARD BENCH TRACK ONE 0123456789");
  EXPECT_EQ(client.ask("262"), "0021234567890123456=2512");
  EXPECT_EQ(client.ask("283"), "0030123456789=0123456789");
}

TEST_F(CardLinesTest, IsoWriteThenReadGivesTheTextBack) {
  LineClient client(port_);
  EXPECT_EQ(client.ask("211HELLO/WORLD^42"), "001");
  EXPECT_EQ(client.ask("181"), "001HELLO/WORLD^42");
  EXPECT_EQ(client.ask("252=987<>"), "002");
  EXPECT_EQ(client.ask("222"), "002=987<>");
}

TEST_F(CardLinesTest, TimeLoxCarriesHexDigitsOnTrackThree) {
  LineClient client(port_);
  EXPECT_EQ(client.ask("2140123456789ABCDEF"), "004");
  EXPECT_EQ(client.ask("204"), "0040123456789ABCDEF");
  // the TimeLox recording replaced the track-3 one
  EXPECT_NE(card_.Stripe(3).find('1'), std::string::npos);
  std::string text;
  EXPECT_EQ(card_.ReadTrack('4', &text), 0);
  EXPECT_EQ(text, "0123456789ABCDEF");
}

TEST_F(CardLinesTest, IsoRefusesCharactersTheTrackCannotHold) {
  LineClient client(port_);
  EXPECT_EQ(client.ask("212ABC"), "072");
  EXPECT_EQ(client.ask("211lower case"), "071");
  EXPECT_EQ(client.ask("2143;"), "074");
  EXPECT_EQ(client.ask("213" + std::string(160, '5')), "063");  // past 800 bits
}

TEST_F(CardLinesTest, DamagedStripesGiveTheReadersErrors) {
  std::string bits = card_.Stripe(2);
  const size_t first = bits.find('1');
  std::string text;

  std::string parity = bits;
  const size_t dataCell = first + 5 * 3;  // a data cell after the start sentinel
  parity[dataCell] = parity[dataCell] == '1' ? '0' : '1';
  sim_.CardState().SetTrack(2, parity);
  EXPECT_EQ(card_.ReadTrack('2', &text), 20);

  std::string lrc = bits;
  const std::string other = lrc.substr(lrc.size() - 5) == "00100" ? "10000" : "00100";
  lrc.replace(lrc.size() - 5, 5, other);  // another LRC cell, parity still odd
  sim_.CardState().SetTrack(2, lrc);
  EXPECT_EQ(card_.ReadTrack('2', &text), 17);

  sim_.CardState().SetTrack(2, "0000000000" + bits.substr(first + 5));
  EXPECT_EQ(card_.ReadTrack('2', &text), 32);

  sim_.CardState().SetTrack(2, std::string(200, '0'));
  EXPECT_EQ(card_.ReadTrack('2', &text), 25);
}

TEST_F(CardLinesTest, BitNormStoresAndReadsBitText) {
  LineClient client(port_);
  EXPECT_EQ(client.ask("080B"), "000");
  EXPECT_EQ(card_.Norm(), 'B');
  EXPECT_EQ(client.ask("2110011010111"), "001");
  EXPECT_EQ(client.ask("201"), "0010011010111");
  EXPECT_EQ(client.ask("2110201"), "071");
  EXPECT_EQ(client.ask("211" + std::string(801, '1')), "061");
  EXPECT_EQ(client.ask("080I"), "000");
  EXPECT_EQ(client.ask("201"), "321");  // those bits are no ISO recording
}

TEST_F(CardLinesTest, BitMemoryHoldsTheLastReadInWindows) {
  LineClient client(port_);
  ASSERT_EQ(client.ask("203").substr(0, 3), "003");
  const std::string memory = card_.BitMemory();
  ASSERT_EQ(memory.size(), 800u);
  EXPECT_EQ(memory.substr(0, card_.Stripe(3).size()), card_.Stripe(3));
  EXPECT_EQ(client.ask("300"), "000" + memory.substr(0, 200));
  EXPECT_EQ(client.ask("310"), "000" + memory.substr(200, 200));
  EXPECT_EQ(client.ask("320"), "000" + memory.substr(400, 200));
  EXPECT_EQ(client.ask("330"), "000" + memory.substr(600, 200));
  EXPECT_EQ(client.ask("340"), "000" + memory);
}

TEST_F(CardLinesTest, TrackFaultsAnswerTheirStatusForTheirTimes) {
  LineClient client(port_);
  card_.FailTrack('2', 32, 2);
  EXPECT_EQ(client.ask("201").substr(0, 3), "001");
  EXPECT_EQ(client.ask("202"), "322");
  EXPECT_EQ(client.ask("2121234"), "322");  // writes fail too, and change nothing
  EXPECT_EQ(client.ask("202"), "0021234567890123456=2512");

  card_.FailTrack('4', 7);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(client.ask("2140123"), "074");
  card_.ClearTrackFaults();
  EXPECT_EQ(client.ask("2140123"), "004");
}

TEST_F(CardLinesTest, SettingLinesAreKeptAndCheckedLikeTheReader) {
  LineClient client(port_);
  EXPECT_EQ(client.ask("042;"), "002");
  EXPECT_EQ(client.ask("053?"), "003");
  EXPECT_EQ(client.ask("0611"), "001");
  EXPECT_EQ(client.ask("0707"), "000");
  EXPECT_EQ(client.ask("41042"), "000");
  EXPECT_EQ(client.ask("130"), "000");
  const readersim::TrackSettings settings = card_.Settings();
  EXPECT_EQ(settings.startSentinel[1], ';');
  EXPECT_EQ(settings.endSentinel[2], '?');
  EXPECT_EQ(settings.parityBit[0], '1');
  EXPECT_EQ(settings.repeatCount, '7');
  EXPECT_EQ(settings.waitTime, "42");
  EXPECT_EQ(settings.coercivity, 'L');

  EXPECT_EQ(client.ask("070"), "040");
  EXPECT_EQ(client.ask("4104"), "040");
  EXPECT_EQ(client.ask("0805"), "040");
  EXPECT_EQ(client.ask("045;"), "055");
  EXPECT_EQ(client.ask("990"), "000" + std::string("V") + card_.VersionText());
}

}  // namespace

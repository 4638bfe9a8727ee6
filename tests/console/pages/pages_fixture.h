// The console's windows with the simulated card in the reader, a link opened
// to it (serial over the pseudo-terminal, or Ethernet over loopback TCP), and
// the page state of a fresh start.
#pragma once
#include <QString>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "card_lines.h"
#include "console_fixture.h"

// Lets test failures show texts as text.
void PrintTo(const QString& text, std::ostream* out);

enum class Link { Serial, Ethernet };
void PrintTo(Link link, std::ostream* out);

std::string linkName(const testing::TestParamInfo<Link>& info);

class PagesTest : public ConsoleTest {
 public:
  // Handles pending events until the reply handler's widget changes are in.
  static void settle();

 protected:
  void SetUp() override;
  void TearDown() override;

  void openLink(Link link);
  // Lets the tick count run `factor` times faster than real time, so that the
  // tests' bounds and pauses pass quickly (waits re-read it every slice).
  static void speedUpClock(int factor);

  // The lines the reader got since the last call, without CR LF.
  std::vector<std::string> takeLines();

  // Answers lines that start with one of `prefixes` only `delayMs` after they
  // came, with "T" + their echo character as payload; records when each came.
  void answerSlowly(const std::vector<std::string>& prefixes, int delayMs);
  // Milliseconds between the arrivals of consecutive answered lines.
  std::vector<long> arrivalGapsMs() const;

  readersim::CardLines card{sim};

 private:
  struct Arrivals;
  std::shared_ptr<Arrivals> arrivals_;
};

class PagesOverBothLinks : public PagesTest, public testing::WithParamInterface<Link> {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    openLink(GetParam());
  }
};

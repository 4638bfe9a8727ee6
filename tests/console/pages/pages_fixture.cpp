#include "pages_fixture.h"

#include <QApplication>

#include <atomic>
#include <chrono>
#include <mutex>
#include <sstream>
#include <thread>

#include "Main.h"
#include "reply/MainState.h"
#include "ZUV_ETHERNET.h"
#include "link/link.h"
#include "pages/PageState.h"
#include "platform/tick.h"

struct PagesTest::Arrivals {
  std::mutex mutex;
  std::vector<std::chrono::steady_clock::time_point> times;
};

namespace {

std::atomic<int> clockFactor{1};

uint32_t fastTicks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return static_cast<uint32_t>(ms * clockFactor);
}

}  // namespace

void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

void PrintTo(Link link, std::ostream* out) { *out << (link == Link::Serial ? "Serial" : "Ethernet"); }

std::string linkName(const testing::TestParamInfo<Link>& info) {
  std::ostringstream name;
  PrintTo(info.param, &name);
  return name.str();
}

void PagesTest::SetUp() {
  ConsoleTest::SetUp();
  NormChar[0] = 'B';
  BitMemoryMode = 0;
  ReadMode = 1;
  WriteMode = 1;
  BreakFlag = 0;
}

void PagesTest::TearDown() {
  platform::SetTickSource(nullptr);
  ConsoleTest::TearDown();
}

void PagesTest::openLink(Link link) {
  if (link == Link::Serial) {
    ASSERT_TRUE(openSerialThroughDialog(3));
  } else {
    ASSERT_TRUE(openEthernetThroughDialog());
  }
  settle();
  sim.ClearRequests();
}

void PagesTest::speedUpClock(int factor) {
  clockFactor = factor;
  platform::SetTickSource(fastTicks);
}

std::vector<std::string> PagesTest::takeLines() {
  std::vector<std::string> lines;
  for (const readersim::Request& request : sim.Requests()) lines.push_back(request.line);
  sim.ClearRequests();
  return lines;
}

void PagesTest::settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void PagesTest::answerSlowly(const std::vector<std::string>& prefixes, int delayMs) {
  arrivals_ = std::make_shared<Arrivals>();
  std::shared_ptr<Arrivals> arrivals = arrivals_;
  for (const std::string& prefix : prefixes) {
    sim.SetHandler(prefix, [arrivals, delayMs](const readersim::Request& request) {
      {
        std::lock_guard<std::mutex> lock(arrivals->mutex);
        arrivals->times.push_back(std::chrono::steady_clock::now());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      const char echo = request.line.size() >= 3 ? request.line[2] : '0';
      return readersim::TextReply(request, 0, std::string("T") + echo);
    });
  }
}

std::vector<long> PagesTest::arrivalGapsMs() const {
  std::lock_guard<std::mutex> lock(arrivals_->mutex);
  std::vector<long> gaps;
  for (size_t i = 1; i < arrivals_->times.size(); ++i) {
    gaps.push_back(static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         arrivals_->times[i] - arrivals_->times[i - 1])
                                         .count()));
  }
  return gaps;
}

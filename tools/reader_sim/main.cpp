// The reader simulator as a program, for trying the console without a reader:
//   reader_sim [--tcp PORT] [--pty] [--link-com N] [--driver]
// serves TCP on 127.0.0.1:PORT (3001 unless given) and, with --pty or
// --link-com, a pseudo-terminal; --link-com N also prints the line that maps
// COMN to it. It plays a card in the reader as the console sees it (tracks in
// ISO or BIT norm, bit memory, settings, IC card, ATMEL memory cards), or with
// --driver as the encoder driver sees it (bit-norm track lines, the same three
// tracks). --drop, --late and --extra arm the simulator's reply faults
// (usage() tells how), for seeing how the console copes with a reader that
// misses or repeats replies.
// Runs until SIGINT or SIGTERM.
#include <algorithm>
#include <pthread.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "atmel_card_lines.h"
#include "boot_loader.h"
#include "card_lines.h"
#include "driver_lines.h"
#include "ic_card_lines.h"
#include "net_settings_lines.h"
#include "reader_sim.h"

namespace {

constexpr long kMaxLateMs = 3600000;

void usage() {
  std::fprintf(
      stderr,
      "usage: reader_sim [--tcp PORT] [--pty] [--link-com N] [--driver]\n"
      "                  [--drop PREFIX:N] [--late PREFIX:N:MS] [--extra PREFIX:N[:LINE]]\n"
      "                  [--extra-after PREFIX:N:MS[:LINE]]\n"
      "  --drop PREFIX:N          leave the Nth line starting with PREFIX unanswered\n"
      "  --late PREFIX:N:MS       answer it MS ms late (the lines after it wait)\n"
      "  --extra PREFIX:N[:LINE]  send LINE after its reply (no LINE: the reply twice)\n"
      "  --extra-after PREFIX:N:MS[:LINE]  the same, as a write of its own MS ms later\n"
      "  N counts from 1; an empty PREFIX counts every request, binary frames too.\n"
      "  Each may be given several times; each fires once.\n");
}

bool parseNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return *text != '\0' && *end == '\0' && value >= low && value <= high;
}

const char* replyFaultForm(const std::string& option) {
  if (option == "--drop") return "PREFIX:N, N from 1";
  if (option == "--late") return "PREFIX:N:MS, N from 1, MS from 0 to 3600000";
  if (option == "--extra-after") return "PREFIX:N:MS or PREFIX:N:MS:LINE, N and MS from 1";
  return "PREFIX:N or PREFIX:N:LINE, N from 1";
}

// The value of --drop, --late, --extra or --extra-after: PREFIX:N and, after
// one more ':', the delay or the line (the rest of the value, ':' included);
// for --extra-after the delay and, after one more ':', the line.
bool parseReplyFault(const std::string& option, const std::string& value,
                     readersim::ReplyFault& fault) {
  size_t colon = value.find(':');
  if (colon == std::string::npos) return false;
  fault.prefix = value.substr(0, colon);
  std::string count = value.substr(colon + 1);
  std::string more;
  size_t second = count.find(':');
  bool hasMore = second != std::string::npos;
  if (hasMore) {
    more = count.substr(second + 1);
    count.resize(second);
  }
  long nth = 0;
  if (!parseNumber(count.c_str(), 1, INT_MAX, nth)) return false;
  fault.nth = static_cast<int>(nth);
  if (option == "--drop") {
    fault.kind = readersim::ReplyFault::Drop;
    return !hasMore;
  }
  if (option == "--extra") {
    fault.kind = readersim::ReplyFault::Extra;
    fault.extraLine = more;
    return true;
  }
  long ms = 0;
  if (option == "--extra-after") {
    const size_t third = more.find(':');
    fault.kind = readersim::ReplyFault::Extra;
    fault.extraLine = third == std::string::npos ? "" : more.substr(third + 1);
    more.resize(std::min(third, more.size()));
    if (!hasMore || !parseNumber(more.c_str(), 1, kMaxLateMs, ms)) return false;
    fault.extraGapMs = static_cast<int>(ms);
    return true;
  }
  fault.kind = readersim::ReplyFault::Delay;
  if (!hasMore || !parseNumber(more.c_str(), 0, kMaxLateMs, ms)) return false;
  fault.delayMs = static_cast<int>(ms);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long port = 3001;
  long comNumber = 0;
  bool pty = false;
  bool driverLines = false;
  std::vector<readersim::ReplyFault> replyFaults;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    bool hasValue = i + 1 < argc;
    if (option == "--help") {
      usage();
      return 0;
    }
    if (option == "--tcp" && hasValue && parseNumber(argv[i + 1], 1, 65535, port)) {
      ++i;
    } else if (option == "--driver") {
      driverLines = true;
    } else if (option == "--pty") {
      pty = true;
    } else if (option == "--link-com" && hasValue && parseNumber(argv[i + 1], 1, 255, comNumber)) {
      pty = true;
      ++i;
    } else if ((option == "--drop" || option == "--late" || option == "--extra" ||
                option == "--extra-after") &&
               hasValue) {
      readersim::ReplyFault fault;
      if (!parseReplyFault(option, argv[++i], fault)) {
        std::fprintf(stderr, "reader_sim: %s wants %s, not '%s'\n", option.c_str(),
                     replyFaultForm(option), argv[i]);
        return 2;
      }
      replyFaults.push_back(fault);
    } else {
      usage();
      return 2;
    }
  }

  // Block the stop signals before the serving thread starts, so that it
  // inherits the mask and only sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  readersim::ReaderSim sim;
  std::unique_ptr<readersim::CardLines> card;
  std::unique_ptr<readersim::AtmelCardLines> atmel;
  std::unique_ptr<readersim::DriverLines> driver;
  std::unique_ptr<readersim::IcCardLines> icCard;
  readersim::NetSettingsLines netSettings(sim);
  readersim::BootLoader bootLoader(sim);
  if (driverLines) {
    driver = std::make_unique<readersim::DriverLines>(sim);
    // The card the console sees, laid as the bit text the driver reads.
    readersim::ReaderSim consoleSim;
    const readersim::CardLines consoleCard(consoleSim);
    for (int track = 1; track <= 3; ++track) driver->StoreBits(track, consoleCard.Stripe(track));
  } else {
    card = std::make_unique<readersim::CardLines>(sim);
    icCard = std::make_unique<readersim::IcCardLines>(sim);
    atmel = std::make_unique<readersim::AtmelCardLines>(sim);
  }
  for (const readersim::ReplyFault& fault : replyFaults) sim.AddReplyFault(fault);
  uint16_t tcpPort = sim.StartTcp(static_cast<uint16_t>(port));
  if (tcpPort == 0) {
    std::fprintf(stderr, "reader_sim: cannot listen on 127.0.0.1 port %ld\n", port);
    return 1;
  }
  std::printf("TCP: connect to 127.0.0.1 port %u\n", tcpPort);
  if (pty) {
    std::string slave = sim.StartPty();
    if (slave.empty()) {
      std::fprintf(stderr, "reader_sim: cannot open a pseudo-terminal\n");
      return 1;
    }
    std::printf("serial: %s\n", slave.c_str());
    if (comNumber != 0) std::printf("export COM%ld_DEVICE=%s\n", comNumber, slave.c_str());
  }
  std::printf("Ctrl+C ends the simulator.\n");
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  sim.Stop();
  return 0;
}

// The reader's own behaviour as far as the simulator plays it: a version
// text, the norm, and track reads and writes against the card. Installed
// through SetHandler like any test's handler, so a test can replace each one.
#include "sim_impl.h"

namespace readersim {
namespace {

constexpr const char* kVersionText = "SIM-READER 1.00";
constexpr int kTrackInformationError = 7;
constexpr const char* kReadPrefixes[] = {"20", "26", "28", "18", "22", "24"};
constexpr const char* kWritePrefixes[] = {"19", "21", "27", "23", "25"};

// Track commands carry the track character first in their data.
int trackOf(const Request& request) { return request.data.empty() ? 0 : TrackNumberOf(request.data[0]); }

}  // namespace

void InstallDefaultHandlers(ReaderSim& sim) {
  Card& card = sim.CardState();
  sim.SetHandler("990", [](const Request& request) { return TextReply(request, 0, kVersionText); });
  sim.SetHandler("080", [&card](const Request& request) {
    if (request.data == "I" || request.data == "B") card.SetNorm(request.data[0]);
    return TextReply(request);
  });
  for (const char* prefix : kReadPrefixes) {
    sim.SetHandler(prefix, [&card](const Request& request) {
      int track = trackOf(request);
      if (track == 0) return TextReply(request, kTrackInformationError);
      std::string text = card.Track(track);
      card.SetBitMemory(text);
      return TextReply(request, 0, text);
    });
  }
  for (const char* prefix : kWritePrefixes) {
    sim.SetHandler(prefix, [&card](const Request& request) {
      int track = trackOf(request);
      if (track == 0) return TextReply(request, kTrackInformationError);
      card.SetTrack(track, request.data.substr(1));
      return TextReply(request);
    });
  }
}

}  // namespace readersim

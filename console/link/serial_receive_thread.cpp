#include <cerrno>
#include <poll.h>

#include "link.h"
#include "platform/tick.h"
#include "registered_callback.h"
#include "serial_session.h"

// Calls the registered callback once for each arrival of input; the callback
// reads the whole reply through ReceiveResponse before the thread waits again.
//
// poll() reports input for as long as it is queued, while the port event it
// stands in for fires only when characters arrive. So when a callback leaves
// the input untouched (or none is registered yet), the thread stops watching
// for "readable" and looks every kWaitSliceMs for new arrivals instead: a
// callback is then called again only for input that came after it, and the
// thread never spins on bytes nobody takes.
void SerialReceiveThread(std::shared_ptr<SerialSession> session) {
  SerialSession& port = *session;
  bool inputLeftUntaken = false;
  int untakenBytes = 0;
  uint32_t generationAfterCallback = 0;

  while (port.ReceiveThreadRun.load()) {
    pollfd fds[2] = {{port.device.Fd(), static_cast<short>(inputLeftUntaken ? 0 : POLLIN), 0},
                     {port.wakeFd, POLLIN, 0}};
    int ready = ::poll(fds, 2, inputLeftUntaken ? platform::kWaitSliceMs : -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents) break;  // the port is being closed

    const bool hungUp = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
    const int queued = SeeSerialInput(port);
    // A dead device stays "ready" for ever: end instead of spinning on it.
    if (queued < 0 || (hungUp && (queued == 0 || inputLeftUntaken))) break;
    if (queued == 0) {
      // The bytes that woke us were already read with the previous reply.
      inputLeftUntaken = false;
      continue;
    }
    if (inputLeftUntaken && port.inputGeneration.load() == generationAfterCallback &&
        queued <= untakenBytes) {
      untakenBytes = queued;  // nothing new has come
      continue;
    }

    if (LinkMode.load() != LINK_SERIAL) {
      // The Ethernet dialog took the commands over without closing this
      // port: nothing sent here is waiting for this input, and the reply
      // path would hand the callback the other link's last reply as new.
      port.device.Purge();
      inputLeftUntaken = false;
      continue;
    }

    const uint32_t generationBefore = port.inputGeneration.load();
    CallRegisteredCallback();
    generationAfterCallback = port.inputGeneration.load();
    untakenBytes = port.device.InputQueued();
    inputLeftUntaken = generationAfterCallback == generationBefore && untakenBytes > 0;
  }
  port.ReceiveThreadRun.store(false);  // also when the device went away
}

// Inside of ReaderSim, shared by its two halves: what to answer
// (reader_sim.cpp) and the serving thread with its descriptors
// (sim_serving.cpp).
#pragma once
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "reader_sim.h"
#include "request_parser.h"

namespace readersim {

// What the serving thread does with one request.
struct Answer {
  bool drop = false;          // close the TCP client, answer nothing
  ReaderSim::Handler handler;  // when set, its Reply is the answer ...
  Reply reply;                // ... otherwise this one
  Faults faults;              // in force when the request came
  int lateMs = 0;             // the longest Delay reply fault's delayMs
  // The lines of Extra reply faults, "" for the reply again, each with the
  // pause before its own write (0: written with the reply).
  std::vector<std::pair<std::string, int>> extraLines;
};

struct ArmedReplyFault {
  ReplyFault fault;
  int matched = 0;  // requests matching its prefix since it was armed
};

// A descriptor the serving thread reads requests from.
struct Peer {
  int fd = -1;
  bool socket = false;  // a TCP client (else the pseudo-terminal master)
  int connection = 0;
  bool closed = false;
  RequestParser parser;
};

struct ReaderSim::Impl {
  ~Impl();

  // ---- configuration and record, guarded by `mutex`
  mutable std::mutex mutex;
  mutable std::condition_variable requestsChanged;
  std::vector<Request> requests;
  Faults faults;
  std::map<std::string, int> statusOverrides;
  std::vector<ArmedReplyFault> replyFaults;
  std::map<std::string, Handler> handlers;
  Handler frameHandler;
  Card card;

  // Records the request and decides its answer.
  Answer Decide(const Request& request, bool fromSocket);
  // Counts the request for each armed reply fault and puts those that fire
  // into `answer`, disarmed; true when one of them drops the reply.
  bool fireReplyFaults(const Request& request, Answer& answer);

  // ---- serving, hand-over guarded by `ioMutex`
  std::mutex ioMutex;
  std::condition_variable ioChanged;  // stop, raw bytes written
  bool stopping = false;
  std::vector<int> newListeners;
  std::vector<std::pair<int, int>> newPtys;  // master, held slave
  std::vector<std::string> outbox;
  unsigned long outboxQueued = 0;
  unsigned long outboxWritten = 0;
  int wakePipe[2] = {-1, -1};
  std::thread thread;

  // ---- owned by the serving thread
  std::vector<int> listeners;
  std::vector<Peer> peers;
  std::vector<int> heldPtySlaves;  // keeps each master from hanging up
  int nextConnection = 1;

  void StartServing();
  void StopServing();
  void Wake();
  void Serve();
  void adoptNewEndpoints();
  void acceptClients(int listener);
  void flushOutbox();
  void readPeer(Peer& peer);
  void answer(Peer& peer, Request& request);
  bool pause(int ms);
  bool deliver(Peer& peer, const std::string& bytes);
  bool writeAll(Peer& peer, const std::string& bytes);
  void closeAll();
};

// The bytes of a reply on the wire; "" for a silent one.
std::string EncodeReply(const Reply& reply);

// The built-in behaviour: version, track reads and writes, norm.
void InstallDefaultHandlers(ReaderSim& sim);

}  // namespace readersim

// The client-socket component that the main window carries: a non-blocking
// client for port 1024 with four event handlers. The console never opens it
// (the live TCP link is the Ethernet link library), so its handlers are bound
// but no socket ever calls them.
#pragma once
#include <functional>
#include <string>

struct ClientSocket {
  int Port = 1024;
  bool Active = false;
  std::function<void(const std::string& peerHostName)> OnConnect;
  std::function<void()> OnDisconnect;
  std::function<void(int& errorCode)> OnError;
  std::function<void()> OnRead;
};

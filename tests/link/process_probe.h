// What the process holds right now, read from /proc: for leak and
// thread-end checks.
#pragma once
#include <chrono>
#include <string>
#include <thread>

int CountOpenDescriptors();
int CountThreads();
int CountThreadsNamed(const std::string& name);
// CPU time the whole process has used, in milliseconds.
double ProcessCpuMs();

// Checks `condition` every few milliseconds until it holds or timeoutMs passes.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

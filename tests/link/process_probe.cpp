#include "process_probe.h"

#include <ctime>
#include <dirent.h>
#include <fstream>

namespace {

template <typename Visit>
int countEntries(const char* directory, Visit visit) {
  DIR* dir = opendir(directory);
  if (!dir) return -1;
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.' && visit(entry->d_name)) ++count;
  }
  closedir(dir);
  return count;
}

}  // namespace

int CountOpenDescriptors() {
  // The directory listing itself holds one descriptor; it is counted every
  // time, so comparisons are unaffected.
  return countEntries("/proc/self/fd", [](const char*) { return true; });
}

int CountThreads() {
  return countEntries("/proc/self/task", [](const char*) { return true; });
}

int CountThreadsNamed(const std::string& name) {
  return countEntries("/proc/self/task", [&](const char* task) {
    std::ifstream comm(std::string("/proc/self/task/") + task + "/comm");
    std::string taskName;
    std::getline(comm, taskName);
    return taskName == name;
  });
}

double ProcessCpuMs() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return used.tv_sec * 1000.0 + used.tv_nsec / 1e6;
}

#include "shared_state.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>

#include "platform/tick.h"

namespace {

// Set by the creator once the mutex is ready; also tells this layout from
// another one left behind by an older build.
constexpr uint32_t kReadyMark = 0x444C5401;
// How long a process waits for the creator to finish setting up the segment.
constexpr uint32_t kSetUpWaitMs = 1000;

struct SharedSection {
  std::atomic<uint32_t> ready;
  pthread_mutex_t mutex;
  std::atomic<int32_t> attachCount;    // AttachCount
  std::atomic<uint8_t> portInUse[kSharedPortCount];  // PortInUse
  std::atomic<int32_t> portHolder[kSharedPortCount]; // process id of each mark
};

std::mutex mappingLock;
std::atomic<SharedSection*> mapped{nullptr};
// Under mappingLock:
bool mappingTried = false;
bool attached = false;  // between process attach and detach
bool counted = false;   // this process is counted in AttachCount

// Counts this process once it is attached and the segment is mapped.
void countAttach(SharedSection* section) {
  if (!section || !attached || counted) return;
  section->attachCount.fetch_add(1);
  counted = true;
}

std::string segmentName() {
  const char* name = std::getenv("TRKDRV32_SHARED_NAME");
  return (name && *name) ? name : "/DLLTRKDR";
}

bool waitUntil(uint32_t start, const std::function<bool()>& done) {
  while (!done()) {
    if (platform::TicksLeft(start, kSetUpWaitMs) == 0) return false;
    platform::SleepMs(1);
  }
  return true;
}

bool initialiseMutex(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attributes;
  if (pthread_mutexattr_init(&attributes) != 0) return false;
  bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
            pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
            pthread_mutex_init(mutex, &attributes) == 0;
  pthread_mutexattr_destroy(&attributes);
  return ok;
}

SharedSection* mapSegment() {
  const std::string name = segmentName();
  const off_t size = sizeof(SharedSection);
  int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  const bool creator = fd >= 0;
  if (!creator) {
    if (errno != EEXIST) return nullptr;
    fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return nullptr;
  }
  bool sized = creator ? ftruncate(fd, size) == 0 : waitUntil(platform::TickCount(), [fd] {
    struct stat info {};
    return fstat(fd, &info) == 0 && info.st_size >= size;
  });
  void* address = sized ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  close(fd);
  if (address == MAP_FAILED) return nullptr;
  auto* section = static_cast<SharedSection*>(address);
  if (creator) {
    if (initialiseMutex(&section->mutex)) section->ready.store(kReadyMark, std::memory_order_release);
  } else {
    waitUntil(platform::TickCount(), [section] {
      return section->ready.load(std::memory_order_acquire) == kReadyMark;
    });
  }
  if (section->ready.load(std::memory_order_acquire) != kReadyMark) {
    munmap(address, size);
    return nullptr;
  }
  return section;
}

SharedSection* shared() {
  if (SharedSection* section = mapped.load(std::memory_order_acquire)) return section;
  std::lock_guard<std::mutex> guard(mappingLock);
  if (!mappingTried) {
    mappingTried = true;
    SharedSection* section = mapSegment();
    countAttach(section);
    mapped.store(section, std::memory_order_release);
  }
  return mapped.load(std::memory_order_acquire);
}

bool processExists(int32_t pid) {
  if (pid == getpid()) return true;
  return kill(pid, 0) == 0 || errno != ESRCH;
}

bool validPort(int port) { return port >= 0 && port < kSharedPortCount; }

}  // namespace

SharedStateLock::SharedStateLock() : locked_(false) {
  SharedSection* section = shared();
  if (!section) return;
  int result = pthread_mutex_lock(&section->mutex);
  if (result == EOWNERDEAD) {
    // The marks are single stores, so whatever the dead holder left is whole.
    result = pthread_mutex_consistent(&section->mutex);
  }
  locked_ = result == 0;
}

SharedStateLock::~SharedStateLock() {
  if (locked_) pthread_mutex_unlock(&shared()->mutex);
}

PortMark TakePortMark(int port) {
  if (!validPort(port)) return PortMark::Unguarded;
  SharedStateLock lock;
  if (!lock.locked()) return PortMark::Unguarded;
  SharedSection* section = shared();
  if (section->portInUse[port].load() != 0 && processExists(section->portHolder[port].load())) {
    return PortMark::HeldByOther;
  }
  section->portHolder[port].store(getpid());
  section->portInUse[port].store(1);
  return PortMark::Taken;
}

void ClearPortMark(int port) {
  if (!validPort(port)) return;
  SharedStateLock lock;
  if (!lock.locked()) return;
  SharedSection* section = shared();
  if (section->portHolder[port].load() != getpid()) return;
  section->portInUse[port].store(0);
  section->portHolder[port].store(0);
}

int32_t PortMarkHolder(int port) {
  SharedSection* section = shared();
  if (!section || !validPort(port) || section->portInUse[port].load() == 0) return 0;
  return section->portHolder[port].load();
}

void AttachProcess() {
  std::lock_guard<std::mutex> guard(mappingLock);
  attached = true;
  countAttach(mapped.load());
}

void DetachProcess() {
  std::lock_guard<std::mutex> guard(mappingLock);
  mappingTried = true;
  attached = false;
  SharedSection* section = mapped.exchange(nullptr);
  if (!section) return;
  if (counted) section->attachCount.fetch_sub(1);
  counted = false;
  munmap(section, sizeof(SharedSection));
}

int32_t AttachCount() {
  SharedSection* section = shared();
  return section ? section->attachCount.load() : -1;
}

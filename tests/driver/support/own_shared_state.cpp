// Gives each test process its own shared segment for the driver's port marks,
// so that tests running side by side do not see each other's marks, and
// removes it when the process ends. Forked children inherit the name (and so
// share the marks with their parent), as processes on one machine do.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct OwnSharedState {
  pid_t owner = getpid();
  std::string name = "/DLLTRKDR-test-" + std::to_string(owner);

  OwnSharedState() { setenv("TRKDRV32_SHARED_NAME", name.c_str(), 1); }
  ~OwnSharedState() {
    if (getpid() == owner) shm_unlink(name.c_str());
  }
};

OwnSharedState ownSharedState;

}  // namespace

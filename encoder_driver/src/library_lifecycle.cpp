// Process attach and detach: the library's constructor and destructor count
// the processes that have it loaded in the shared state.
#include "shared_state.h"

namespace {

__attribute__((constructor)) void attachProcess() { AttachProcess(); }

__attribute__((destructor)) void detachProcess() { DetachProcess(); }

}  // namespace

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "TRKDRV32.h"
#include "handle_values.h"
#include "session.h"

AbortFlag AbortFlags[kAbortFlagCount];

namespace {

struct SessionSlot {
  int32_t handle;
  std::unique_ptr<SessionRecord> record;
};

// SessionTable: slots 0 to count-1 in opening order.
struct SessionTable {
  std::mutex lock;
  SessionSlot slots[kSessionLimit];
  int count = 0;
  HandleValues handles{0x1001};
  // Sessions closed while a coder call was still running on them.
  std::vector<std::unique_ptr<SessionRecord>> closing;

  int indexOf(int32_t handle) const {
    for (int i = 0; i < count; ++i) {
      if (slots[i].handle == handle) return i;
    }
    return -1;
  }

  std::unique_ptr<SessionRecord> removeAt(int index) {
    std::unique_ptr<SessionRecord> record = std::move(slots[index].record);
    std::move(slots + index + 1, slots + count, slots + index);
    --count;
    slots[count] = SessionSlot{};
    return record;
  }
};

SessionTable& table() {
  static SessionTable instance;
  return instance;
}

}  // namespace

bool IsSerialSession(const SessionRecord& session) { return !session.isTcp && !session.isUsb; }

std::unique_ptr<SessionRecord> NewSessionRecord() {
  // Value-initialised: every field 0. No exception may leave an open call.
  return std::unique_ptr<SessionRecord>(new (std::nothrow) SessionRecord());
}

bool SessionTableFull() {
  std::lock_guard<std::mutex> guard(table().lock);
  return table().count >= kSessionLimit;
}

int32_t AddSession(std::unique_ptr<SessionRecord>& record) {
  SessionTable& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  if (t.count >= kSessionLimit) return 0;
  int32_t handle = t.handles.Next([&t](int32_t value) { return t.indexOf(value) >= 0; });
  t.slots[t.count++] = SessionSlot{handle, std::move(record)};
  return handle;
}

SessionRecord* FindSession(int32_t handle) {
  SessionTable& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  int index = t.indexOf(handle);
  return index < 0 ? nullptr : t.slots[index].record.get();
}

bool UseSession(int32_t handle, const std::function<void(SessionRecord&)>& use) {
  SessionTable& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  int index = t.indexOf(handle);
  if (index < 0) return false;
  use(*t.slots[index].record);
  return true;
}

int32_t CloseSession(int32_t handle) {
  SessionTable& t = table();
  std::unique_ptr<SessionRecord> record;
  {
    std::lock_guard<std::mutex> guard(t.lock);
    int index = t.indexOf(handle);
    if (index < 0) return MRW_NOSESSION;
    record = t.removeAt(index);
    if (record->activeCalls > 0) {
      record->closePending = 1;
      RaiseAbort(*record);
      t.closing.push_back(std::move(record));
      return MRW_OK;
    }
  }
  ReleaseSessionLink(*record);
  return MRW_OK;
}

ActiveCall::ActiveCall(int32_t handle) : session_(nullptr) {
  SessionTable& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  int index = t.indexOf(handle);
  if (index < 0) return;
  session_ = t.slots[index].record.get();
  ++session_->activeCalls;
}

ActiveCall::~ActiveCall() {
  if (!session_) return;
  SessionTable& t = table();
  std::unique_ptr<SessionRecord> finished;
  {
    std::lock_guard<std::mutex> guard(t.lock);
    if (--session_->activeCalls > 0 || !session_->closePending) return;
    auto it = std::find_if(t.closing.begin(), t.closing.end(),
                           [this](const auto& record) { return record.get() == session_; });
    finished = std::move(*it);
    t.closing.erase(it);
  }
  ReleaseSessionLink(*finished);
}

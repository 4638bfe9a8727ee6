#include "gui/GuiThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace {

std::thread::id guiThreadId;

// The queue lives behind a std::mutex rather than inside the posted event, so
// that the hand-over between the threads is one the thread sanitizer can see;
// the posted call only wakes the GUI thread and carries no data.
class GuiChangeQueue : public QObject {
  Q_OBJECT

 public:
  void post(const void* owner, std::function<void()> change) {
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (owners_.count(owner) == 0) return;
      wake = pending_.empty();
      pending_.emplace_back(owner, std::move(change));
    }
    if (wake) QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
  }

  void forget(const void* owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    owners_.erase(owner);
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [owner](const Pending& p) { return p.first == owner; }),
                   pending_.end());
  }

  void accept(const void* owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    owners_.insert(owner);
  }

 public slots:
  void runPending() {
    for (;;) {
      std::function<void()> change;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pending_.empty()) return;
        change = std::move(pending_.front().second);
        pending_.pop_front();
      }
      change();
    }
  }

 private:
  using Pending = std::pair<const void*, std::function<void()>>;
  std::mutex mutex_;
  std::set<const void*> owners_;
  std::deque<Pending> pending_;
};

GuiChangeQueue* changeQueue = nullptr;

}  // namespace

void markGuiThread() {
  guiThreadId = std::this_thread::get_id();
  // Built on the GUI thread so that its queued wake-ups are delivered there;
  // it lives as long as the process, like the forms' owner.
  if (changeQueue == nullptr) changeQueue = new GuiChangeQueue;
}

bool onGuiThread() { return std::this_thread::get_id() == guiThreadId; }

void runOnGuiThread(const void* owner, std::function<void()> change) {
  if (onGuiThread()) {
    // Changes queued earlier by another thread come first, so that the window
    // ends up showing the latest one.
    changeQueue->runPending();
    change();
    return;
  }
  changeQueue->post(owner, std::move(change));
}

void forgetGuiChanges(const void* owner) { changeQueue->forget(owner); }

void acceptGuiChanges(const void* owner) { changeQueue->accept(owner); }

void ProcessMessages() {
  if (onGuiThread()) QCoreApplication::processEvents();
}

void ProcessNonInputEvents() {
  if (onGuiThread()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

#include "GuiThread.moc"

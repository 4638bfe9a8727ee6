// The port marks shared by every process that loads the driver: a port held by
// another process, a holder that was killed, and a holder of the shared mutex
// that died.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TRKDRV32.h"
#include "pseudo_terminal.h"
#include "shared_state.h"

namespace {

constexpr int kChildWaitMs = 10000;

int32_t openPort0() { return MagOpen(0, 9600, 'N', 8, 1, 0, 3); }

// A forked process that runs `body` with a pipe to report to the parent and
// one to take orders from it.
class ChildProcess {
 public:
  template <typename Body>
  explicit ChildProcess(Body body) {
    int toParent[2];
    int toChild[2];
    if (pipe(toParent) != 0 || pipe(toChild) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      close(toParent[0]);
      close(toChild[1]);
      body(toParent[1], toChild[0]);
      _exit(0);
    }
    close(toParent[1]);
    close(toChild[0]);
    fromChild_ = toParent[0];
    toChild_ = toChild[1];
  }
  ~ChildProcess() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      Reap();
    }
    close(fromChild_);
    close(toChild_);
  }

  pid_t Pid() const { return pid_; }

  // The next 32-bit report of the child; false when none came in time.
  bool Receive(int32_t* value) {
    pollfd descriptor{fromChild_, POLLIN, 0};
    return poll(&descriptor, 1, kChildWaitMs) == 1 && read(fromChild_, value, sizeof *value) == sizeof *value;
  }
  void Order() {
    char go = 1;
    ASSERT_EQ(write(toChild_, &go, 1), 1);
  }
  int Reap() {
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return status;
  }

  static void Report(int fd, int32_t value) { (void)!write(fd, &value, sizeof value); }
  static void AwaitOrder(int fd) {
    char go;
    (void)!read(fd, &go, 1);
  }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int fromChild_ = -1;
  int toChild_ = -1;
};

class PortMarkTest : public ::testing::Test {
 protected:
  void SetUp() override { MapComPort(1, pty_.SlavePath()); }
  PseudoTerminal pty_;
};

TEST_F(PortMarkTest, PortHeldByAnotherProcessIsInUseUntilItCloses) {
  ChildProcess holder([](int report, int orders) {
    const int32_t handle = openPort0();
    ChildProcess::Report(report, handle);
    ChildProcess::AwaitOrder(orders);
    ChildProcess::Report(report, MagClose(handle));
    ChildProcess::AwaitOrder(orders);
  });
  int32_t childHandle = 0;
  ASSERT_TRUE(holder.Receive(&childHandle));
  ASSERT_GT(childHandle, 0);
  EXPECT_EQ(PortMarkHolder(0), holder.Pid());
  EXPECT_EQ(openPort0(), MAG_PORT_IN_USE);
  EXPECT_EQ(openPort0(), MAG_PORT_IN_USE);
  EXPECT_EQ(PortMarkHolder(0), holder.Pid()) << "the holder's mark stays";

  holder.Order();
  int32_t closed = -1;
  ASSERT_TRUE(holder.Receive(&closed));
  EXPECT_EQ(closed, MRW_OK);
  const int32_t handle = openPort0();
  EXPECT_GT(handle, 0);
  EXPECT_EQ(PortMarkHolder(0), getpid());
  holder.Order();
  holder.Reap();
  MagClose(handle);
}

TEST_F(PortMarkTest, AKilledHoldersMarkIsRecovered) {
  ChildProcess holder([](int report, int orders) {
    ChildProcess::Report(report, openPort0());
    ChildProcess::AwaitOrder(orders);
  });
  int32_t childHandle = 0;
  ASSERT_TRUE(holder.Receive(&childHandle));
  ASSERT_GT(childHandle, 0);
  EXPECT_EQ(openPort0(), MAG_PORT_IN_USE);

  kill(holder.Pid(), SIGKILL);
  holder.Reap();
  const int32_t handle = openPort0();
  EXPECT_GT(handle, 0);
  EXPECT_EQ(PortMarkHolder(0), getpid());
  MagClose(handle);
}

TEST_F(PortMarkTest, ADeadMutexHolderDoesNotWedgeTheOthers) {
  ChildProcess lockHolder([](int report, int) {
    SharedStateLock lock;
    ChildProcess::Report(report, lock.locked() ? 1 : 0);
    _exit(0);  // dies holding the shared mutex
  });
  int32_t locked = 0;
  ASSERT_TRUE(lockHolder.Receive(&locked));
  ASSERT_EQ(locked, 1);
  lockHolder.Reap();

  // Taken in a further process, so that a wedged mutex fails the test instead
  // of hanging it.
  ChildProcess opener([](int report, int) { ChildProcess::Report(report, static_cast<int32_t>(TakePortMark(5))); });
  int32_t mark = -1;
  ASSERT_TRUE(opener.Receive(&mark)) << "the shared mutex stayed locked";
  EXPECT_EQ(mark, static_cast<int32_t>(PortMark::Taken));
  opener.Reap();
  EXPECT_EQ(TakePortMark(5), PortMark::Taken) << "the opener is gone, so its mark is free";
  ClearPortMark(5);
}

TEST_F(PortMarkTest, AttachAndDetachAreCountedAcrossProcesses) {
  const int32_t before = AttachCount();
  ASSERT_GE(before, 0);
  ChildProcess attacher([](int report, int orders) {
    AttachProcess();
    ChildProcess::Report(report, 1);
    ChildProcess::AwaitOrder(orders);
    DetachProcess();
    ChildProcess::Report(report, 1);
  });
  int32_t done = 0;
  ASSERT_TRUE(attacher.Receive(&done));
  EXPECT_EQ(AttachCount(), before + 1);
  attacher.Order();
  ASSERT_TRUE(attacher.Receive(&done));
  EXPECT_EQ(AttachCount(), before);
  attacher.Reap();
}

}  // namespace

// libTRKDRV32.so as a host loads it: every export by name, the version block,
// the CoderRecord layout and the refusals every handle-taking call makes.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "TRKDRV32.h"
#include "loopback_listener.h"
#include "pseudo_terminal.h"

namespace {

static_assert(offsetof(CoderRecord, len1) == 3);
static_assert(offsetof(CoderRecord, len3) == 5);
static_assert(offsetof(CoderRecord, scratch) == 6);
static_assert(offsetof(CoderRecord, track1) == 134);
static_assert(offsetof(CoderRecord, track2) == 262);
static_assert(offsetof(CoderRecord, track3) == 390);

const char* const kExports[] = {
    "MagOpen",          "MagTcpIpOpen",        "MagUSBOpen",          "MagClose",
    "MagCoder",         "MagNBSCoder",         "MagAbort",            "MagGetLastError",
    "MagEncoderVersion", "EncoderVersion",     "MagSetNonHalvikCard", "MagSet1NonHalvikCard",
    "MagSet2NonHalvikCard",
};

class ExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { library_ = dlopen(TRKDRV32_LIBRARY, RTLD_NOW | RTLD_LOCAL); }
  static void TearDownTestSuite() {
    if (library_) dlclose(library_);
  }
  void SetUp() override { ASSERT_NE(library_, nullptr) << dlerror(); }

  template <typename Function>
  Function bind(const char* name) {
    return reinterpret_cast<Function>(dlsym(library_, name));
  }
  int32_t openTcp() {
    return bind<decltype(&MagTcpIpOpen)>("MagTcpIpOpen")("127.0.0.1", listener_.Port(), 0, 5);
  }

  static void* library_;
  LoopbackListener listener_;
};
void* ExportsTest::library_ = nullptr;

TEST_F(ExportsTest, EveryExportIsFoundByName) {
  for (const char* name : kExports) EXPECT_NE(dlsym(library_, name), nullptr) << name;
  EXPECT_EQ(dlsym(library_, "EncoderVersion"), dlsym(library_, "MagEncoderVersion")) << "one entry point";
  EXPECT_EQ(dlsym(library_, "FindSession"), nullptr);
  EXPECT_EQ(dlsym(library_, "w1632_SioSend"), nullptr);
}

TEST_F(ExportsTest, VersionBlock) {
  for (const char* name : {"MagEncoderVersion", "EncoderVersion"}) {
    char block[120];
    std::memset(block, 'x', sizeof block);
    char* result = bind<decltype(&MagEncoderVersion)>(name)(12345, block);
    EXPECT_EQ(result, block + 110) << name;
    EXPECT_STREQ(block, "Encoder Driver");
    EXPECT_STREQ(block + 30, "V2.0");
    for (int offset : {40, 70, 100, 110}) EXPECT_EQ(block[offset], '\0') << offset;
    EXPECT_EQ(block[15], 'x') << "bytes behind a terminator are left alone";
    EXPECT_EQ(block[35], 'x');
    EXPECT_EQ(block[41], 'x');
    EXPECT_EQ(block[111], 'x');
    EXPECT_EQ(bind<decltype(&MagEncoderVersion)>(name)(0, nullptr), nullptr);
  }
}

TEST_F(ExportsTest, EveryCallOnAClosedHandleGives19) {
  const int32_t handle = openTcp();
  ASSERT_GT(handle, 0);
  ASSERT_EQ(bind<decltype(&MagClose)>("MagClose")(handle), MRW_OK);
  CoderRecord record{};
  record.size = CODER_RECORD_SIZE;
  char texts[260] = {};
  EXPECT_EQ(bind<decltype(&MagClose)>("MagClose")(handle), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagAbort)>("MagAbort")(handle), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagGetLastError)>("MagGetLastError")(handle), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagSetNonHalvikCard)>("MagSetNonHalvikCard")(handle, 1), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagSet1NonHalvikCard)>("MagSet1NonHalvikCard")(handle, 1), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagSet2NonHalvikCard)>("MagSet2NonHalvikCard")(handle, 1), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagCoder)>("MagCoder")(handle, READ_CARD, &record), MRW_NOSESSION);
  EXPECT_EQ(bind<decltype(&MagNBSCoder)>("MagNBSCoder")(handle, WRITE_CARD, &record, texts), MRW_NOSESSION);
}

TEST_F(ExportsTest, AWrongRecordSizeComesBeforeTheHandle) {
  CoderRecord record{};
  record.size = CODER_RECORD_SIZE - 1;
  std::memset(record.scratch, 'S', sizeof record.scratch);
  char texts[260] = {};
  EXPECT_EQ(bind<decltype(&MagCoder)>("MagCoder")(0, READ_CARD, &record), STRUCTSIZEERROR);
  EXPECT_EQ(bind<decltype(&MagNBSCoder)>("MagNBSCoder")(0, WRITE_CARD, &record, texts), STRUCTSIZEERROR);
  EXPECT_EQ(record.scratch[0], 'S');
  EXPECT_EQ(record.scratch[127], 'S');
  const int32_t handle = openTcp();
  ASSERT_GT(handle, 0);
  EXPECT_EQ(bind<decltype(&MagCoder)>("MagCoder")(handle, READ_CARD, &record), STRUCTSIZEERROR);
  EXPECT_EQ(bind<decltype(&MagCoder)>("MagCoder")(handle, READ_CARD, nullptr), STRUCTSIZEERROR);
  EXPECT_EQ(bind<decltype(&MagClose)>("MagClose")(handle), MRW_OK);
}

TEST_F(ExportsTest, UsbSessionsFindTheUsbLibraryNextToTheDriver) {
  PseudoTerminal device;
  setenv("ZUV_USB_DEVICE", device.SlavePath().c_str(), 1);
  const int32_t handle = bind<decltype(&MagUSBOpen)>("MagUSBOpen")(3);
  EXPECT_GT(handle, 0);
  EXPECT_EQ(bind<decltype(&MagClose)>("MagClose")(handle), MRW_OK);
}

}  // namespace

#include "serial_port.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>

#include <sys/ioctl.h>

#include "handle_values.h"
#include "platform/com_port.h"
#include "platform/message_pump.h"
#include "platform/serial_device.h"
#include "platform/tick.h"
#include "serial_settings.h"

namespace {

// Pause between looks at the output queue while it has no room or is
// draining: the kernel offers no wait for "fewer than n bytes queued".
constexpr uint32_t kQueuePollMs = 2;
// A chunk, the room for one or the drain may stall this long beyond the time
// a full queue needs on the line before the port gives up on it.
constexpr int32_t kStallMarginMs = 2000;
constexpr int32_t kBitsPerCharacter = 11;  // start, eight data, parity, stop
// The pump runs this long after the queue drained.
constexpr int kDrainTailPasses = 5;
constexpr uint32_t kDrainTailPassMs = 2;

struct ComStat {
  int32_t inQueue = 0;   // bytes waiting to be read
  int32_t outQueue = 0;  // bytes not yet sent
};

struct SioPort {
  int32_t isOpen = 0;
  int32_t rxQueueSize = 0;
  int32_t txQueueSize = 0;
  ComStat comStat;
  platform::SerialSettings dcb;
  platform::SerialDevice device;
  std::atomic<AbortFlag*> abortFlag{nullptr};
};

struct PortEntry {
  SioHandle handle = 0;
  std::unique_ptr<SioPort> port;
};

// PortTable: entries 0 to count-1 in creation order.
struct PortTable {
  std::mutex lock;
  PortEntry entries[kPortTableSize];
  int count = 0;
  HandleValues handles{0x5101};

  int indexOf(SioHandle handle) const {
    for (int i = 0; i < count; ++i) {
      if (entries[i].handle == handle) return i;
    }
    return -1;
  }
};

PortTable& portTable() {
  static PortTable instance;
  return instance;
}

// w1632_SioFind: the port object of a handle, null when absent.
SioPort* w1632_SioFind(SioHandle handle) {
  PortTable& table = portTable();
  std::lock_guard<std::mutex> guard(table.lock);
  int index = table.indexOf(handle);
  return index < 0 ? nullptr : table.entries[index].port.get();
}

// Reads the queue counts into comStat: 0, or CE_IOE when the device failed.
int32_t readComStat(SioPort& port) {
  int in = port.device.InputQueued();
  int out = port.device.OutputQueued();
  port.comStat.inQueue = std::max(in, 0);
  port.comStat.outQueue = std::max(out, 0);
  return (in < 0 || out < 0) ? CE_IOE : 0;
}

bool isSet(const AbortFlag* flag) { return flag && flag->load() != 0; }

uint32_t stallLimitMs(const SioPort& port) {
  const int32_t lineMs = port.txQueueSize * kBitsPerCharacter * 1000 / std::max(port.dcb.baud, 1);
  return static_cast<uint32_t>(kStallMarginMs + std::max(lineMs, 0));
}

enum class ChunkResult { Written, Short, Aborted };

// Writes one chunk whole, as a write that is not overlapped does, waiting in
// poll() while the device takes no more.
ChunkResult writeChunk(SioPort& port, const char* data, int32_t count) {
  const uint32_t stall = stallLimitMs(port);
  uint32_t lastProgress = platform::TickCount();
  int32_t done = 0;
  while (done < count) {
    ssize_t n = port.device.WriteSome(data + done, static_cast<size_t>(count - done));
    if (n < 0) return ChunkResult::Short;
    if (n > 0) {
      done += static_cast<int32_t>(n);
      lastProgress = platform::TickCount();
      continue;
    }
    if (isSet(port.abortFlag.load())) return ChunkResult::Aborted;
    uint32_t left = platform::TicksLeft(lastProgress, stall);
    if (left == 0) return ChunkResult::Short;
    int wait = static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs));
    if (platform::WaitWritable(port.device.Fd(), wait) < 0) return ChunkResult::Short;
  }
  return ChunkResult::Written;
}

// w1632_SioOpenPort.
int32_t openPort(SioPort& port, int32_t portNumber, int32_t settings, int32_t flow) {
  if (port.isOpen) return SIO_ERR_ALREADY_OPEN;
  port.dcb = SerialSettingsFromWord(settings, flow);
  if (portNumber < 0 || portNumber > kLastSerialPort) return SIO_ERR_IO;
  if (!port.device.Open(platform::ComPortDevice(portNumber + 1))) return SIO_ERR_IO;
  if (!port.device.Configure(port.dcb)) {
    port.device.Close();
    return SIO_ERR_IO;
  }
  port.isOpen = 1;
  return 0;
}

}  // namespace

SioHandle w1632_SioCreate(int32_t rxQueueSize, int32_t txQueueSize) {
  PortTable& table = portTable();
  std::lock_guard<std::mutex> guard(table.lock);
  if (table.count >= kPortTableSize) return 0;
  std::unique_ptr<SioPort> port(new (std::nothrow) SioPort());
  if (!port) return 0;
  port->rxQueueSize = rxQueueSize;
  port->txQueueSize = txQueueSize;
  SioHandle handle = table.handles.Next([&table](SioHandle value) { return table.indexOf(value) >= 0; });
  table.entries[table.count++] = PortEntry{handle, std::move(port)};
  return handle;
}

int32_t w1632_SioDestroy(SioHandle handle) {
  PortTable& table = portTable();
  std::unique_ptr<SioPort> port;
  {
    std::lock_guard<std::mutex> guard(table.lock);
    int index = table.indexOf(handle);
    if (index < 0) return SIO_ERR_BAD_HANDLE;
    port = std::move(table.entries[index].port);
    std::move(table.entries + index + 1, table.entries + table.count, table.entries + index);
    table.entries[--table.count] = PortEntry{};
  }
  if (port->isOpen) port->device.Close();
  return 0;
}

int32_t w1632_SioOpen(SioHandle handle, int32_t portNumber, int32_t settings, int32_t flow) {
  SioPort* port = w1632_SioFind(handle);
  if (!port) return SIO_ERR_BAD_HANDLE;
  return openPort(*port, portNumber, settings, flow);
}

int32_t w1632_SioClose(SioHandle handle) {
  SioPort* port = w1632_SioFind(handle);
  if (!port) return SIO_ERR_BAD_HANDLE;
  if (!port->isOpen) return SIO_ERR_NOT_OPEN;
  port->device.Close();
  port->isOpen = 0;
  return 0;
}

int32_t w1632_SioSend(SioHandle handle, const char* data, int32_t length, int32_t* errorFlags) {
  SioPort* port = w1632_SioFind(handle);
  if (!port) return SIO_ERR_BAD_HANDLE;
  if (!port->isOpen) return SIO_ERR_NOT_OPEN;
  const uint32_t stall = stallLimitMs(*port);
  uint32_t lastProgress = platform::TickCount();
  int32_t sent = 0;
  int32_t result = 0;
  int32_t flags = 0;
  while (sent < length) {
    AbortFlag* abort = port->abortFlag.load();
    if (isSet(abort)) {
      result = SIO_ERR_ABORTED;
      break;
    }
    flags = readComStat(*port);
    if (flags != 0) break;
    const int32_t chunk = std::min(length - sent, port->txQueueSize - port->comStat.outQueue);
    if (chunk > 0) {
      ChunkResult written = writeChunk(*port, data + sent, chunk);
      if (written == ChunkResult::Aborted) {
        result = SIO_ERR_ABORTED;
        break;
      }
      if (written == ChunkResult::Short) {
        flags = CE_TXFULL;
        break;
      }
      sent += chunk;
      lastProgress = platform::TickCount();
    } else if (platform::TicksLeft(lastProgress, stall) == 0) {
      flags = CE_TXFULL;
      break;
    } else {
      platform::SleepMs(kQueuePollMs);
    }
    w1632_SioPump(abort);
  }
  if (flags != 0) {
    if (errorFlags) *errorFlags = flags;
    return SIO_ERR_IO;
  }
  if (errorFlags) *errorFlags = 0;
  return result;
}

int32_t w1632_SioReceive(SioHandle handle, char* buffer, int32_t size, int32_t* errorFlags) {
  SioPort* port = w1632_SioFind(handle);
  if (!port) return SIO_ERR_BAD_HANDLE;
  if (errorFlags) *errorFlags = 0;
  if (!port->isOpen) return SIO_ERR_NOT_OPEN;
  int32_t flags = readComStat(*port);
  if (flags == 0) {
    const int32_t count = std::min(port->comStat.inQueue, size);
    if (count <= 0) return 0;
    ssize_t n = port->device.ReadSome(buffer, static_cast<size_t>(count));
    if (n >= 0) return static_cast<int32_t>(n);
    flags = readComStat(*port) | CE_IOE;
  }
  if (errorFlags) *errorFlags = flags;
  return SIO_ERR_IO;
}

int32_t w1632_SioDrain(SioHandle handle) {
  SioPort* port = w1632_SioFind(handle);
  if (!port) return SIO_ERR_BAD_HANDLE;
  if (!port->isOpen) return SIO_ERR_NOT_OPEN;
  const uint32_t start = platform::TickCount();
  const uint32_t stall = stallLimitMs(*port);
  for (;;) {
    AbortFlag* abort = port->abortFlag.load();
    if (isSet(abort)) break;
    if (readComStat(*port) != 0 || port->comStat.outQueue == 0) break;
    if (platform::TicksLeft(start, stall) == 0) break;
    w1632_SioPump(abort);
    platform::SleepMs(kQueuePollMs);
  }
  for (int pass = 0; pass < kDrainTailPasses; ++pass) {
    w1632_SioPump(port->abortFlag.load());
    platform::SleepMs(kDrainTailPassMs);
  }
  return 0;
}

int32_t w1632_SioSetAbort(SioHandle handle, AbortFlag* flag) {
  PortTable& table = portTable();
  std::lock_guard<std::mutex> guard(table.lock);
  int index = table.indexOf(handle);
  if (index < 0) return SIO_ERR_BAD_HANDLE;
  table.entries[index].port->abortFlag.store(flag);
  return 0;
}

int32_t w1632_SioModemStatus(SioHandle handle, int32_t* status) {
  SioPort* port = w1632_SioFind(handle);
  if (!port) return SIO_ERR_BAD_HANDLE;
  if (!port->isOpen) return SIO_ERR_NOT_OPEN;
  const int lines = port->device.ModemLines();
  int32_t bits = 0;
  if (lines > 0) {
    if (lines & TIOCM_CTS) bits |= MS_CTS_ON;
    if (lines & TIOCM_DSR) bits |= MS_DSR_ON;
    if (lines & TIOCM_RI) bits |= MS_RING_ON;
    if (lines & TIOCM_CD) bits |= MS_RLSD_ON;
  }
  if (status) *status = bits;
  return 0;
}

void w1632_SioPump(const AbortFlag* flag) {
  if (!isSet(flag)) platform::PumpMessages();
}

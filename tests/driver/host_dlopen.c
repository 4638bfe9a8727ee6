/* A host program in plain C: loads libTRKDRV32.so by path, binds every export
 * by name and opens and closes a TCP/IP session.
 *   host_dlopen <path of libTRKDRV32.so> <TCP port on 127.0.0.1>
 * Exits 0 when everything behaved, 1 otherwise (the reason on stderr). */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "TRKDRV32.h"

static const char* const exportNames[] = {
    "MagOpen",           "MagTcpIpOpen",   "MagUSBOpen",          "MagClose",
    "MagCoder",          "MagNBSCoder",    "MagAbort",            "MagGetLastError",
    "MagEncoderVersion", "EncoderVersion", "MagSetNonHalvikCard", "MagSet1NonHalvikCard",
    "MagSet2NonHalvikCard",
};

static int fail(const char* what) {
  fprintf(stderr, "host_dlopen: %s\n", what);
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 3) return fail("usage: host_dlopen <library> <port>");
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!library) return fail(dlerror());
  for (size_t i = 0; i < sizeof exportNames / sizeof exportNames[0]; ++i) {
    if (!dlsym(library, exportNames[i])) return fail(exportNames[i]);
  }

  int32_t (*tcpIpOpen)(const char*, int32_t, int32_t, int32_t) = 0;
  int32_t (*closeSession)(int32_t) = 0;
  int32_t (*getLastError)(int32_t) = 0;
  char* (*encoderVersion)(int32_t, char*) = 0;
  *(void**)&tcpIpOpen = dlsym(library, "MagTcpIpOpen");
  *(void**)&closeSession = dlsym(library, "MagClose");
  *(void**)&getLastError = dlsym(library, "MagGetLastError");
  *(void**)&encoderVersion = dlsym(library, "EncoderVersion");

  char block[128];
  memset(block, 0, sizeof block);
  if (encoderVersion(0, block) != block + 110 || strcmp(block, "Encoder Driver") != 0) {
    return fail("EncoderVersion");
  }
  int32_t session = tcpIpOpen("127.0.0.1", atoi(argv[2]), 0, 5);
  if (session == 0) return fail("MagTcpIpOpen");
  if (getLastError(session) != 0) return fail("MagGetLastError");
  if (closeSession(session) != MRW_OK) return fail("MagClose");
  if (closeSession(session) != MRW_NOSESSION) return fail("MagClose of a closed session");
  dlclose(library);
  return 0;
}

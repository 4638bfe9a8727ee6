/* A host program's view of the link library: loads it by path and looks up
 * its four exports; an internal name must not be reachable.
 * Usage: host_dlopen path/to/libZUV_ETHERNET.so */
#include <dlfcn.h>
#include <stdio.h>

int main(int argc, char** argv) {
  static const char* const exports[] = {"Closed_Ethernet", "Connect_Ethernet", "EthernetCommandSend",
                                        "EthernetReceive"};
  if (argc != 2) {
    fprintf(stderr, "usage: host_dlopen LIBRARY\n");
    return 2;
  }
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    fprintf(stderr, "dlopen: %s\n", dlerror());
    return 1;
  }
  int failures = 0;
  for (size_t i = 0; i < sizeof exports / sizeof exports[0]; ++i) {
    if (!dlsym(library, exports[i])) {
      fprintf(stderr, "missing export %s\n", exports[i]);
      ++failures;
    }
  }
  if (dlsym(library, "_ZN12ethernetlink17ReconnectEthernetEv")) {
    fprintf(stderr, "internal ReconnectEthernet is exported\n");
    ++failures;
  }
  dlclose(library);
  return failures == 0 ? 0 : 1;
}

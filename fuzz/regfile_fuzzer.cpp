// libFuzzer entry point: imports arbitrary bytes as a registry export file
// into a settings store of its own.
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "kovoreg/reg_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/regfile-fuzz-XXXXXX";
  if (mkdtemp(folder) != nullptr) {
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("KOVO_MACHINE_DIR", folder, 1);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("reg", 0);
  if (fd < 0) return 0;
  if (size == 0 || write(fd, data, size) == static_cast<ssize_t>(size)) {
    kovoreg::ImportFile("/proc/self/fd/" + std::to_string(fd));
  }
  close(fd);
  return 0;
}

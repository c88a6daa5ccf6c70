// libFuzzer entry point: maps arbitrary bytes as a RIFF file. The map goes to
// /dev/null; what is checked is that no input crashes, reads outside a buffer
// or allocates more than it holds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "convert/map_writer.h"
#include "platform/memory_storage.h"
#include "riff/riff_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  riff::RiffFile file;
  if (!file.Open(std::make_unique<platform::MemoryStorage>(&bytes), platform::MMIO_DENYWRITE)) {
    return 0;
  }
  convert::MapWriter map(nullptr, "/dev/null");
  map.Walk(file);
  return 0;
}

// libFuzzer entry point: classifies arbitrary bytes, reads their headers and
// converts them with every conversion mode in turn (chosen by the first
// byte). The input is handed over as a file in memory; the output goes to
// memory. What is checked is that no input crashes, reads or writes outside
// a buffer or allocates more than it holds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/conversion_walker.h"
#include "converter-ui/file_summary.h"
#include "platform/memory_storage.h"
#include "riff/avi_header_reader.h"
#include "riff/flavour_classifier.h"

namespace {

constexpr convert::FieldMode kModes[] = {convert::FieldMode::kToStandard,
                                         convert::FieldMode::kStill, convert::FieldMode::kToBoard,
                                         convert::FieldMode::kFirstTwice};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("input", 0);
  if (fd < 0) return 0;
  if (size != 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
    close(fd);
    return 0;
  }
  const std::string name = "/proc/self/fd/" + std::to_string(fd);

  riff::FlavourClassifier classifier;
  classifier.Classify(name);
  ui::SummarizeInput(name, true, 0);
  ui::DescribeFile(name, 0);

  std::vector<uint8_t> output;
  convert::ConversionWalker walker(nullptr);
  walker.SetOutputStorage(std::make_unique<platform::MemoryStorage>(&output, 64 << 20));
  const convert::FieldMode mode = kModes[size == 0 ? 0 : data[0] % 4];
  walker.Run(name, mode, size != 0 && (data[0] & 4) ? "QX62" : "QX63", "unused");
  close(fd);
  return 0;
}

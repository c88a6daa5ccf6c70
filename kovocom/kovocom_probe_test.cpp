// kovocom-probe, run as a user runs it, against the simulated partner.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kovocom/server_fixture.h"

namespace kovocom {
namespace {

// Runs the probe with `arguments`; its exit code and output.
int RunProbe(const std::string& arguments, std::string* output) {
  FILE* pipe = popen((std::string(KOVOCOM_PROBE) + " " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char chunk[256];
  while (size_t got = fread(chunk, 1, sizeof chunk, pipe)) output->append(chunk, got);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using KovocomProbeTest = ServerTest;

TEST_F(KovocomProbeTest, OpensTheBoardThroughTheRegisteredServer) {
  unsetenv("KOVO_MODULE_PATH");  // the simulated partner beside the server
  WriteSystemIni("[Drivers]\nVIDC.MJPG=vesk2.drv\n");
  std::string output;
  EXPECT_EQ(RunProbe("'QX63 board'", &output), 0) << output;
  EXPECT_NE(output.find("OpenBoard(\"QX63 board\") = 0: driver opened"), std::string::npos)
      << output;
  EXPECT_NE(output.find("CheckSupport(3) = 0 (yes)"), std::string::npos) << output;
  EXPECT_NE(output.find("SubmitFormat(mode 0, 720 x 240) = 0x00000000"), std::string::npos)
      << output;

  output.clear();
  EXPECT_EQ(RunProbe("--unregister", &output), 0) << output;
  output.clear();
  EXPECT_EQ(RunProbe("QX62", &output), 1) << output;
  EXPECT_NE(output.find("kovocom-probe --register"), std::string::npos) << output;
}

}  // namespace
}  // namespace kovocom

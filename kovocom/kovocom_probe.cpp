// kovocom-probe: creates a capture-board object of the registered kovocom
// server as any program would, opens the board it is given and prints what
// the checks answer.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "kovocom/kovo_component.h"
#include "platform/component_loader.h"
#include "platform/module.h"
#include "platform/profile.h"

namespace {

using namespace platform;
using kovocom::FormatRecord;
using kovocom::ICaptureBoard;

constexpr char kUsage[] =
    "usage: kovocom-probe BOARDNAME\n"
    "       kovocom-probe --register [SERVER]\n"
    "       kovocom-probe --unregister [SERVER]\n"
    "\n"
    "BOARDNAME (such as \"QX62\" or \"QX63 board\") is opened through the registered\n"
    "kovocom server, which must be registered first with --register. SERVER is the\n"
    "server library; by default kovocom.so beside this program.\n"
    "\n"
    "Environment: KOVO_MACHINE_DIR holds the class registration (default /var/lib/kovo);\n"
    "KOVO_WINDOWS_DIR holds SYSTEM.INI, whose [Drivers] VIDC.MJPG entry picks the\n"
    "driver of QX61 and QX63 boards (default /etc/kovo); KOVO_MODULE_PATH is searched\n"
    "for the partner kvthunk.so before the server's own folder.\n";

std::string DefaultServer() {
  char self[4096];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "kovocom.so";
  std::string path(self, static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + "kovocom.so";
}

// Runs the server's DllRegisterServer or DllUnregisterServer.
int Registration(const char* entry, const std::string& server) {
  HINSTANCE library = CoLoadLibrary(server.c_str());
  if (library == nullptr) {
    std::fprintf(stderr, "kovocom-probe: cannot load %s: %s\n", server.c_str(),
                 LastLoadError().c_str());
    return 1;
  }
  auto proc = GetProcAddressAs<DllRegisterServerProc>(library, entry);
  HRESULT result = proc != nullptr ? proc() : CO_E_ERRORINDLL;
  CoFreeLibrary(library);
  std::printf("%s %s: 0x%08X\n", entry, server.c_str(), static_cast<unsigned>(result));
  return SUCCEEDED(result) ? 0 : 1;
}

const char* Answer(HRESULT result) {
  return result == 0 ? "yes" : "no";
}

int Probe(const char* boardName) {
  void* object = nullptr;
  HRESULT result = CoCreateInstance(kovocom::CLSID_KovoComponent, nullptr, CLSCTX_INPROC_SERVER,
                                    kovocom::IID_ICaptureBoard, &object);
  if (FAILED(result)) {
    std::fprintf(
        stderr, "kovocom-probe: cannot create the capture-board object: 0x%08X%s\n",
        static_cast<unsigned>(result),
        result == REGDB_E_CLASSNOTREG ? " (not registered: run kovocom-probe --register)" : "");
    return 1;
  }
  auto* board = static_cast<ICaptureBoard*>(object);
  const HRESULT opened = board->OpenBoard(boardName);
  std::printf("OpenBoard(\"%s\") = %d: %s\n", boardName, opened,
              opened == 0 ? "driver opened" : "no driver opened");
  std::printf("SYSTEM.INI folder: %s\n", WindowsDirectory().c_str());
  for (uint32_t number = 0; number < 4; ++number)
    std::printf("CheckSupport(%u) = %d (%s)\n", number, board->CheckSupport(number),
                Answer(board->CheckSupport(number)));
  const FormatRecord formats[] = {
      {0, 720, 240}, {0, 640, 240}, {1, 768, 288}, {1, 640, 288}, {6, 704, 240}};
  for (FormatRecord format : formats) {
    const uint32_t width = format.width;
    const HRESULT usable = board->CheckFormat(&format);
    std::printf("CheckFormat(mode %u, %u x %u) = %d (%s)\n", format.mode, width, format.height,
                usable, Answer(usable));
  }
  FormatRecord format = {0, 720, 240};
  std::printf("SubmitFormat(mode 0, 720 x 240) = 0x%08X\n",
              static_cast<unsigned>(board->SubmitFormat(&format)));
  board->Release();
  CoFreeUnusedLibraries();
  return opened == 0 ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 &&
      (std::strcmp(argv[1], "--register") == 0 || std::strcmp(argv[1], "--unregister") == 0) &&
      argc <= 3) {
    const std::string server = argc == 3 ? argv[2] : DefaultServer();
    return Registration(argv[1][2] == 'r' ? "DllRegisterServer" : "DllUnregisterServer", server);
  }
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs(kUsage, argc == 2 && std::strcmp(argv[1], "--help") == 0 ? stdout : stderr);
    return argc == 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 64;
  }
  return Probe(argv[1]);
}

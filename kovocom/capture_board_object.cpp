#include "kovocom/capture_board_object.h"

#include <cstring>

#include "kovocom/driver_bridge.h"
#include "platform/profile.h"

namespace kovocom {
namespace {

constexpr HRESULT kYes = 0;
constexpr HRESULT kNo = 1;
constexpr uint32_t kWideWidth = 720;
constexpr uint32_t kCaptureWidth = 704;
constexpr size_t kCodecEntrySize = 30;  // at most 29 characters are seen

BoardKind KindOfBoard(const char* name) {
  if (std::strstr(name, "QX61") != nullptr || std::strstr(name, "QVM") != nullptr)
    return kBoardQX61;
  if (std::strstr(name, "QX62") != nullptr) return kBoardQX62;
  if (std::strstr(name, "QX63") != nullptr) return kBoardQX63;
  return kNoBoard;
}

// The capture driver that the codec entry of SYSTEM.INI names, or null.
const char* DriverOfCodec() {
  char codec[kCodecEntrySize];
  platform::GetPrivateProfileStringA("Drivers", "VIDC.MJPG", "", codec, sizeof codec, "SYSTEM.INI");
  for (char* c = codec; *c != '\0'; ++c) {
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
  }
  if (std::strstr(codec, "QX63") != nullptr) return "QX63CAP.DRV";
  if (std::strstr(codec, "VESK") != nullptr) return "VESKCAP.DRV";
  return nullptr;
}

}  // namespace

CaptureBoardObject::CaptureBoardObject(IUnknown* outer, ComponentModule* module)
    : ComObject(module), board_(outer != nullptr ? outer : this) {}

CaptureBoardObject::~CaptureBoardObject() {
  if (board_.driverHandle != 0) {
    CallEntry(kCloseDriver, {Value(board_.driverHandle)});
    board_.driverHandle = 0;
  }
}

platform::IUnknown* CaptureBoardObject::OwnInterface(const platform::IID& iid) {
  return iid == IID_ICaptureBoard ? &board_ : nullptr;
}

HRESULT CaptureBoardObject::Board::OpenBoard(const char* boardName) {
  if (driverHandle != 0 || boardName == nullptr) return kNo;
  const BoardKind kind = KindOfBoard(boardName);
  if (kind == kNoBoard) return kNo;
  boardKind = kind;
  const char* driver = kind == kBoardQX62 ? "KOVOQX62.DRV" : DriverOfCodec();
  if (driver == nullptr) return kNo;
  std::strncpy(driverFile, driver, sizeof driverFile - 1);
  driverHandle = CallEntry(kOpenDriver, {Pointer(driverFile)});
  return driverHandle != 0 ? kYes : kNo;
}

HRESULT CaptureBoardObject::Board::CheckSupport(uint32_t number) {
  switch (boardKind) {
    case kBoardQX61:
    case kBoardQX63:
      return number == 0 || number == 1 || number == 3 ? kYes : kNo;
    case kBoardQX62:
      return number == 0 || number == 1 ? kYes : kNo;
    default:
      return kNo;
  }
}

HRESULT CaptureBoardObject::Board::CheckFormat(FormatRecord* record) {
  if (record == nullptr) return kNo;
  if (record->width == kWideWidth) record->width = kCaptureWidth;
  if (boardKind < kBoardQX61 || boardKind > kBoardQX63) return kNo;
  switch (record->mode) {
    case 0:
    case 3:
    case 5:
    case 8:
      return (record->width == 704 || record->width == 640) && record->height == 240 ? kYes : kNo;
    case 1:
    case 2:
    case 4:
      return (record->width == 704 || record->width == 768) && record->height == 288 ? kYes : kNo;
    default:
      return kNo;
  }
}

HRESULT CaptureBoardObject::Board::SubmitFormat(FormatRecord* record) {
  if (HRESULT refused = CheckFormat(record); refused != kYes) return refused;
  return static_cast<HRESULT>(CallEntry(kSubmitFormat, {Value(driverHandle), Pointer(record)}));
}

HRESULT CaptureBoardObject::Board::Request15(void* record) {
  return static_cast<HRESULT>(CallEntry(kRequest15, {Value(driverHandle), Pointer(record)}));
}

HRESULT CaptureBoardObject::Board::Request13(void* record) {
  return static_cast<HRESULT>(CallEntry(kRequest13, {Value(driverHandle), Pointer(record)}));
}

HRESULT CaptureBoardObject::Board::Request12(void* record) {
  return static_cast<HRESULT>(CallEntry(kRequest12, {Value(driverHandle), Pointer(record)}));
}

HRESULT CaptureBoardObject::Board::Request1(void* record) {
  return static_cast<HRESULT>(CallEntry(kRequest1, {Value(driverHandle), Pointer(record)}));
}

HRESULT CaptureBoardObject::Board::Request0(DWORD value) {
  return static_cast<HRESULT>(CallEntry(kRequest0, {Value(driverHandle), Value(value)}));
}

}  // namespace kovocom

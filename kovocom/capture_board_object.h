// CaptureBoardObject: the KovoComponent object that offers ICaptureBoard.
// OpenBoard detects the board from its name (and, for QX61 and QX63, from
// the Motion-JPEG codec entry "VIDC.MJPG" of section "Drivers" of
// SYSTEM.INI) and opens that board's 16-bit capture driver through partner
// entry 17; the driver stays open until the object is destroyed, when entry
// 16 closes it. Records passed to the methods stay owned by the caller.
#pragma once

#include <cstdint>

#include "kovocom/com_object.h"
#include "kovocom/kovo_component.h"
#include "kovocom/nested_part.h"

namespace kovocom {

// The board found by OpenBoard; negative while none is known.
using BoardKind = int32_t;
constexpr BoardKind kNoBoard = -1;
constexpr BoardKind kBoardQX61 = 0;
constexpr BoardKind kBoardQX62 = 1;
constexpr BoardKind kBoardQX63 = 2;

class CaptureBoardObject final : public ComObject {
 public:
  CaptureBoardObject(IUnknown* outer, ComponentModule* module);

 private:
  class Board final : public NestedPart<ICaptureBoard> {
   public:
    explicit Board(IUnknown* controlling) : NestedPart(controlling) {}
    HRESULT OpenBoard(const char* boardName) override;
    HRESULT Request15(void* record) override;
    HRESULT SubmitFormat(FormatRecord* record) override;
    HRESULT Request13(void* record) override;
    HRESULT Request12(void* record) override;
    HRESULT CheckSupport(uint32_t number) override;
    HRESULT CheckFormat(FormatRecord* record) override;
    HRESULT Request1(void* record) override;
    HRESULT Request0(DWORD value) override;

    BoardKind boardKind = kNoBoard;
    char driverFile[20] = {};  // the driver's file name, zero-terminated
    DWORD driverHandle = 0;    // 0 while no driver is open
  };

  ~CaptureBoardObject() override;
  IUnknown* OwnInterface(const platform::IID& iid) override;

  Board board_;
};

}  // namespace kovocom

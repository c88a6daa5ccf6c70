// What a client of the KovoComponent class includes: its class identifier,
// the four interfaces its objects offer (slot order = declaration order,
// after IUnknown's three) and FormatRecord. Objects are created with
// platform::CoCreateInstance (component_loader.h) and owned through their
// references; records passed to the methods stay owned by the caller.
#pragma once

#include <cstdint>

#include "platform/component.h"

namespace kovocom {

using platform::DWORD;
using platform::HRESULT;
using platform::IUnknown;

inline constexpr platform::CLSID CLSID_KovoComponent = {
    0x5E2A9C41, 0x7B3D, 0x11CF, {0xA5, 0x12, 0x00, 0xA0, 0xC9, 0x3F, 0x6B, 0x27}};
inline constexpr platform::IID IID_ICaptureBoard = {
    0x5E2A9C40, 0x7B3D, 0x11CF, {0xA5, 0x12, 0x00, 0xA0, 0xC9, 0x3F, 0x6B, 0x27}};
inline constexpr platform::IID IID_IPlaceholder = {
    0x91C4E7D0, 0x2F6A, 0x11CF, {0xA5, 0x13, 0x00, 0xA0, 0xC9, 0x3F, 0x6B, 0x27}};
inline constexpr platform::IID IID_IDriverLink = {
    0x3D8F1B60, 0x64C2, 0x11CF, {0xA5, 0x13, 0x00, 0xA0, 0xC9, 0x3F, 0x6B, 0x27}};
inline constexpr platform::IID IID_IDriverLinkEx = {
    0x3D8F1B61, 0x64C2, 0x11CF, {0xA5, 0x13, 0x00, 0xA0, 0xC9, 0x3F, 0x6B, 0x27}};

// A capture format as the caller proposes it; CheckFormat may rewrite width.
struct FormatRecord {
  uint32_t mode;
  uint32_t width;
  uint32_t height;
};

// The capture board: detects the board, opens its 16-bit capture driver,
// checks numbers and formats, passes requests to the driver. The RequestN
// methods hand the driver handle and their argument to the partner entry of
// the same number and return its result unchanged.
class ICaptureBoard : public IUnknown {
 public:
  // Detects the board from `boardName` and opens its driver: 0 when a driver
  // was opened, 1 otherwise (also when one is open already).
  virtual HRESULT OpenBoard(const char* boardName) = 0;
  virtual HRESULT Request15(void* record) = 0;
  // 1 when CheckFormat refuses `record`, else the driver's answer to it.
  virtual HRESULT SubmitFormat(FormatRecord* record) = 0;
  virtual HRESULT Request13(void* record) = 0;
  virtual HRESULT Request12(void* record) = 0;
  // 0 when `number` is in the detected board's set, 1 when not.
  virtual HRESULT CheckSupport(uint32_t number) = 0;
  // Rewrites a width of 720 to 704, then 0 when the board can capture the
  // format, 1 when not.
  virtual HRESULT CheckFormat(FormatRecord* record) = 0;
  virtual HRESULT Request1(void* record) = 0;
  virtual HRESULT Request0(DWORD value) = 0;

 protected:
  ~ICaptureBoard() = default;
};

// Holds a link to the driver world; its methods do nothing and answer 0,
// except Reserved6, which stores 0 through `out` and answers 1.
class IPlaceholder : public IUnknown {
 public:
  virtual HRESULT Reserved3(DWORD, DWORD, DWORD) = 0;
  virtual HRESULT Reserved4(DWORD, DWORD, DWORD) = 0;
  virtual HRESULT Reserved5() = 0;
  virtual HRESULT Reserved6(DWORD* out) = 0;
  virtual HRESULT Reserved7(DWORD) = 0;
  virtual HRESULT Reserved8(DWORD) = 0;
  virtual HRESULT Reserved9() = 0;
  virtual HRESULT Reserved10() = 0;
  virtual HRESULT Reserved11() = 0;

 protected:
  ~IPlaceholder() = default;
};

// A link to the driver world that passes two kinds of request.
class IDriverLink : public IUnknown {
 public:
  virtual HRESULT Request7(void* record) = 0;
  virtual HRESULT Request6(DWORD value) = 0;

 protected:
  ~IDriverLink() = default;
};

// A link to the driver world that passes four kinds of request.
class IDriverLinkEx : public IUnknown {
 public:
  virtual HRESULT Request5(void* record, void* secondRecord) = 0;
  virtual HRESULT Request4(void* record, DWORD value) = 0;
  virtual HRESULT Request7(void* record) = 0;
  virtual HRESULT Request6(DWORD value) = 0;

 protected:
  ~IDriverLinkEx() = default;
};

}  // namespace kovocom

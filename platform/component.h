// The component object model's basic types for in-process servers and their
// clients: GUID, HRESULT and the result codes the suite uses, IUnknown and
// IClassFactory, and StringFromGUID2. Interfaces are classes of pure virtual
// operations whose declaration order is the slot order of their table
// (IUnknown: 0 QueryInterface, 1 AddRef, 2 Release; IClassFactory goes on
// with 3 CreateInstance, 4 LockServer); they have no virtual destructor, so
// no slot is added, and an object is freed only by its last Release.
//
// Loading servers and creating objects through the registry is in
// component_loader.h.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
  return a == b;
}

using HRESULT = int32_t;
using ULONG = uint32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9);
// A server whose DllMain refused to load (ERROR_DLL_INIT_FAILED as an HRESULT).
constexpr HRESULT E_DLL_INIT_FAILED = static_cast<HRESULT>(0x8007045A);

constexpr bool SUCCEEDED(HRESULT result) {
  return result >= 0;
}
constexpr bool FAILED(HRESULT result) {
  return result < 0;
}

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IUnknown {
 public:
  // Stores the object's interface `iid` in *out with one more reference, or
  // null with E_NOINTERFACE.
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  // Gives back one reference; the last one frees the object.
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
 public:
  // Creates an object and stores its interface `iid` in *out; `outer` is the
  // controlling unknown when the object is to be aggregated.
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
  // Counts (TRUE) or uncounts (FALSE) a lock that keeps the server loaded.
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// A character of the model's wide texts (UTF-16, as the model stores them).
using OLECHAR = char16_t;

// Writes `guid` as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hex)
// and a terminating zero into `text` of `size` characters. Returns the
// characters written, zero included (39), or 0 when they do not fit.
int StringFromGUID2(const GUID& guid, OLECHAR* text, int size);

// The ASCII text of `guid` in the same form; a convenience for this platform.
void FormatGUID(const GUID& guid, char (&text)[39]);

}  // namespace platform
